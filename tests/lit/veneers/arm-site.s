// Veneers for Arm branches (R_ARM_CALL, R_ARM_JUMP24). An Arm target out of
// range gets an LDR pc veneer; a Thumb target gets a Thumb-2 LDR pc veneer
// reached by BLX where the core has both (a BL becomes BLX), else an Arm
// LDR ip + BX ip veneer (conditional BL and B, which cannot become BLX, and
// every BL on a core without BLX or Thumb-2). Each veneer is appended to
// the calling section, which is checked byte for byte, with the branch that
// now points at it, the literal that holds the target (with the Thumb bit
// for Thumb code), the mapping symbols and the veneer's own symbol.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi %S/Inputs/targets.s -o targets.o
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi arm.s -o arm.o

// Every row of the table in one section, on a Cortex-A9.
// RUN: tanrek-ld -q --entry=arm_calls arm.o targets.o -T%S/Inputs/targets.icf -Tarm.icf --cpu=cortex-a9 -o a9.elf --log-file a9.log > a9.out 2>&1; echo "status $?" >> a9.out
// RUN: FileCheck --check-prefix=OK --match-full-lines --strict-whitespace %s < a9.out
// RUN: FileCheck --check-prefix=A9-LOG --match-full-lines --strict-whitespace %s < a9.log
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex --start-address=0x1000 --stop-address=0x1034 a9.elf | FileCheck --check-prefix=A9-ARM %s
// RUN: llvm-objdump -d --triple=thumbv7a --print-imm-hex --start-address=0x1034 --stop-address=0x1044 a9.elf | FileCheck --check-prefix=A9-THUMB %s
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex --start-address=0x1044 --stop-address=0x105c a9.elf | FileCheck --check-prefix=A9-BX %s
// RUN: llvm-objdump -s -j .text.arm a9.elf | FileCheck --check-prefix=A9-BYTES %s
// RUN: llvm-readelf -S -s a9.elf | FileCheck --check-prefix=A9-SYM %s

// OK-NOT:{{.}}
// OK:status 0

// A9-LOG:***{{ +}}Construct veneers{{ +}}***
// A9-LOG:  Arm LDR veneer required at .text.arm+0 to afar for Arm-Arm range extension
// A9-LOG-NEXT:  Arm LDR veneer required at .text.arm+4 to afar2 for Arm-Arm range extension
// A9-LOG-NEXT:  Arm LDR veneer required at .text.arm+8 to afar3 for Arm-Arm range extension
// A9-LOG-NEXT:  Thumb-2 LDR veneer required at .text.arm+12 to tfar for Arm-Thumb mode switch
// A9-LOG-NEXT:  Thumb-2 LDR veneer required at .text.arm+16 to tfar2 for Arm-Thumb mode switch
// A9-LOG-NEXT:  Arm LDR+BX veneer required at .text.arm+20 to tnear for Arm-Thumb mode switch
// A9-LOG-NEXT:  Arm LDR+BX veneer required at .text.arm+24 to tnear2 for Arm-Thumb mode switch
// A9-LOG:  Allocate 00001000-0000105b to section .text.arm from arm.o
// A9-LOG-NOT:{{.*}}veneer{{.*}}
// A9-LOG:***{{ +}}Relocate image{{ +}}***

// A9-ARM:      1000: 05 00 00 eb bl 0x101c <afar__AA_veneer_A32_LDR>
// A9-ARM-NEXT: 1004: 06 00 00 ea b 0x1024 <afar2__AA_veneer_A32_LDR>
// A9-ARM-NEXT: 1008: 07 00 00 0b bleq 0x102c <afar3__AA_veneer_A32_LDR>
// A9-ARM-NEXT: 100c: 08 00 00 fa blx 0x1034 <tfar__AT_veneer_T32_LDR>
// A9-ARM-NEXT: 1010: 09 00 00 fa blx 0x103c <tfar2__AT_veneer_T32_LDR>
// A9-ARM-NEXT: 1014: 0a 00 00 0b bleq 0x1044 <tnear__AT_veneer_A32_LDR_BX>
// A9-ARM-NEXT: 1018: 0c 00 00 ea b 0x1050 <tnear2__AT_veneer_A32_LDR_BX>
// A9-ARM:      101c: 04 f0 1f e5 ldr pc, [pc, #-0x4]
// A9-ARM:      1020: 00 00 10 02 .word 0x02100000
// A9-ARM:      1024: 04 f0 1f e5 ldr pc, [pc, #-0x4]
// A9-ARM:      1028: 04 00 10 02 .word 0x02100004
// A9-ARM:      102c: 04 f0 1f e5 ldr pc, [pc, #-0x4]
// A9-ARM:      1030: 08 00 10 02 .word 0x02100008
// A9-THUMB:      1034: df f8 00 f0 ldr.w pc, [pc, #0x0]
// A9-THUMB:      1038: 01 00 20 02 .word 0x02200001
// A9-THUMB:      103c: df f8 00 f0 ldr.w pc, [pc, #0x0]
// A9-THUMB:      1040: 05 00 20 02 .word 0x02200005
// A9-BX:      1044: 00 c0 9f e5 ldr r12, [pc]
// A9-BX-NEXT: 1048: 1c ff 2f e1 bx r12
// A9-BX:      104c: 01 20 00 00 .word 0x00002001
// A9-BX:      1050: 00 c0 9f e5 ldr r12, [pc]
// A9-BX-NEXT: 1054: 1c ff 2f e1 bx r12
// A9-BX:      1058: 05 20 00 00 .word 0x00002005

// A9-BYTES:      1000 050000eb 060000ea 0700000b 080000fa
// A9-BYTES-NEXT: 1010 090000fa 0a00000b 0c0000ea 04f01fe5
// A9-BYTES-NEXT: 1020 00001002 04f01fe5 04001002 04f01fe5
// A9-BYTES-NEXT: 1030 08001002 dff800f0 01002002 dff800f0
// A9-BYTES-NEXT: 1040 05002002 00c09fe5 1cff2fe1 01200000
// A9-BYTES-NEXT: 1050 00c09fe5 1cff2fe1 05200000

// The section ends with the last literal.
// A9-SYM: .text.arm PROGBITS 00001000 {{[0-9a-f]+}} 00005c 00 AX 0 0 4
// A9-SYM-DAG: 0000101c {{.+}} FUNC {{.+}} afar__AA_veneer_A32_LDR{{$}}
// A9-SYM-DAG: 0000101c {{.+}} NOTYPE {{.+}} $a{{(\.[^ ]+)?$}}
// A9-SYM-DAG: 00001020 {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}
// A9-SYM-DAG: 00001024 {{.+}} FUNC {{.+}} afar2__AA_veneer_A32_LDR{{$}}
// A9-SYM-DAG: 00001024 {{.+}} NOTYPE {{.+}} $a{{(\.[^ ]+)?$}}
// A9-SYM-DAG: 00001028 {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}
// A9-SYM-DAG: 0000102c {{.+}} FUNC {{.+}} afar3__AA_veneer_A32_LDR{{$}}
// A9-SYM-DAG: 0000102c {{.+}} NOTYPE {{.+}} $a{{(\.[^ ]+)?$}}
// A9-SYM-DAG: 00001030 {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}
// A9-SYM-DAG: 00001035 {{.+}} FUNC {{.+}} tfar__AT_veneer_T32_LDR{{$}}
// A9-SYM-DAG: 00001034 {{.+}} NOTYPE {{.+}} $t{{(\.[^ ]+)?$}}
// A9-SYM-DAG: 00001038 {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}
// A9-SYM-DAG: 0000103d {{.+}} FUNC {{.+}} tfar2__AT_veneer_T32_LDR{{$}}
// A9-SYM-DAG: 0000103c {{.+}} NOTYPE {{.+}} $t{{(\.[^ ]+)?$}}
// A9-SYM-DAG: 00001040 {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}
// A9-SYM-DAG: 00001044 {{.+}} FUNC {{.+}} tnear__AT_veneer_A32_LDR_BX{{$}}
// A9-SYM-DAG: 00001044 {{.+}} NOTYPE {{.+}} $a{{(\.[^ ]+)?$}}
// A9-SYM-DAG: 0000104c {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}
// A9-SYM-DAG: 00001050 {{.+}} FUNC {{.+}} tnear2__AT_veneer_A32_LDR_BX{{$}}
// A9-SYM-DAG: 00001050 {{.+}} NOTYPE {{.+}} $a{{(\.[^ ]+)?$}}
// A9-SYM-DAG: 00001058 {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}

// An unconditional BL to Thumb code, near and far, on three cores. Without
// BLX (v4T) both go through Arm LDR+BX veneers; with BLX but no Thumb-2
// (v5TE) the near one becomes BLX and the far one needs the Arm veneer;
// with both (Cortex-A9) the far one becomes a BLX to a Thumb-2 veneer.
// RUN: llvm-mc -filetype=obj -triple=armv4t-none-eabi bl.s -o bl.o
// RUN: tanrek-ld -q --entry=bl_calls bl.o targets.o -T%S/Inputs/targets.icf -Tbl.icf --cpu=v4T -o v4.elf --log-file v4.log > v4.out 2>&1; echo "status $?" >> v4.out
// RUN: FileCheck --check-prefix=OK --match-full-lines --strict-whitespace %s < v4.out
// RUN: FileCheck --check-prefix=V4-LOG --match-full-lines --strict-whitespace %s < v4.log
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex --start-address=0x1000 --stop-address=0x1020 v4.elf | FileCheck --check-prefix=V4 %s
// RUN: llvm-objdump -s -j .text.bl v4.elf | FileCheck --check-prefix=V4-BYTES %s
// RUN: llvm-readelf -S -s v4.elf | FileCheck --check-prefix=V4-SYM %s

// V4-LOG:  Arm LDR+BX veneer required at .text.bl+0 to tnear for Arm-Thumb mode switch
// V4-LOG-NEXT:  Arm LDR+BX veneer required at .text.bl+4 to tfar for Arm-Thumb mode switch
// V4:      1000: 00 00 00 eb bl 0x1008 <tnear__AT_veneer_A32_LDR_BX>
// V4-NEXT: 1004: 02 00 00 eb bl 0x1014 <tfar__AT_veneer_A32_LDR_BX>
// V4:      1008: 00 c0 9f e5 ldr r12, [pc]
// V4-NEXT: 100c: 1c ff 2f e1 bx r12
// V4:      1010: 01 20 00 00 .word 0x00002001
// V4:      1014: 00 c0 9f e5 ldr r12, [pc]
// V4-NEXT: 1018: 1c ff 2f e1 bx r12
// V4:      101c: 01 00 20 02 .word 0x02200001
// V4-BYTES:      1000 000000eb 020000eb 00c09fe5 1cff2fe1
// V4-BYTES-NEXT: 1010 01200000 00c09fe5 1cff2fe1 01002002
// V4-SYM: .text.bl PROGBITS 00001000 {{[0-9a-f]+}} 000020 00 AX 0 0 4
// V4-SYM-DAG: 00001008 {{.+}} FUNC {{.+}} tnear__AT_veneer_A32_LDR_BX{{$}}
// V4-SYM-DAG: 00001008 {{.+}} NOTYPE {{.+}} $a{{(\.[^ ]+)?$}}
// V4-SYM-DAG: 00001010 {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}
// V4-SYM-DAG: 00001014 {{.+}} FUNC {{.+}} tfar__AT_veneer_A32_LDR_BX{{$}}
// V4-SYM-DAG: 00001014 {{.+}} NOTYPE {{.+}} $a{{(\.[^ ]+)?$}}
// V4-SYM-DAG: 0000101c {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}

// RUN: tanrek-ld -q --entry=bl_calls bl.o targets.o -T%S/Inputs/targets.icf -Tbl.icf --cpu=v5TE -o v5.elf --log-file v5.log > v5.out 2>&1; echo "status $?" >> v5.out
// RUN: FileCheck --check-prefix=OK --match-full-lines --strict-whitespace %s < v5.out
// RUN: FileCheck --check-prefix=V5-LOG --match-full-lines --strict-whitespace %s < v5.log
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex --start-address=0x1000 --stop-address=0x1014 v5.elf | FileCheck --check-prefix=V5 %s
// RUN: llvm-objdump -s -j .text.bl v5.elf | FileCheck --check-prefix=V5-BYTES %s
// RUN: llvm-readelf -S -s v5.elf | FileCheck --check-prefix=V5-SYM %s

// V5-LOG-NOT:{{.*}} to tnear {{.*}}
// V5-LOG:  Arm LDR+BX veneer required at .text.bl+4 to tfar for Arm-Thumb mode switch
// V5-LOG-NOT:{{.*}} to tnear {{.*}}
// V5:      1000: fe 03 00 fa blx 0x2000 <tnear>
// V5-NEXT: 1004: ff ff ff eb bl 0x1008 <tfar__AT_veneer_A32_LDR_BX>
// V5:      1008: 00 c0 9f e5 ldr r12, [pc]
// V5-NEXT: 100c: 1c ff 2f e1 bx r12
// V5:      1010: 01 00 20 02 .word 0x02200001
// V5-BYTES:      1000 fe0300fa ffffffeb 00c09fe5 1cff2fe1
// V5-BYTES-NEXT: 1010 01002002
// V5-SYM: .text.bl PROGBITS 00001000 {{[0-9a-f]+}} 000014 00 AX 0 0 4
// V5-SYM-DAG: 00001008 {{.+}} FUNC {{.+}} tfar__AT_veneer_A32_LDR_BX{{$}}
// V5-SYM-DAG: 00001008 {{.+}} NOTYPE {{.+}} $a{{(\.[^ ]+)?$}}
// V5-SYM-DAG: 00001010 {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}

// RUN: tanrek-ld -q --entry=bl_calls bl.o targets.o -T%S/Inputs/targets.icf -Tbl.icf --cpu=cortex-a9 -o bla9.elf --log-file bla9.log > bla9.out 2>&1; echo "status $?" >> bla9.out
// RUN: FileCheck --check-prefix=OK --match-full-lines --strict-whitespace %s < bla9.out
// RUN: FileCheck --check-prefix=BLA9-LOG --match-full-lines --strict-whitespace %s < bla9.log
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex --start-address=0x1000 --stop-address=0x1008 bla9.elf | FileCheck --check-prefix=BLA9 %s
// RUN: llvm-objdump -s -j .text.bl bla9.elf | FileCheck --check-prefix=BLA9-BYTES %s
// RUN: llvm-readelf -S -s bla9.elf | FileCheck --check-prefix=BLA9-SYM %s

// BLA9-LOG-NOT:{{.*}} to tnear {{.*}}
// BLA9-LOG:  Thumb-2 LDR veneer required at .text.bl+4 to tfar for Arm-Thumb mode switch
// BLA9-LOG-NOT:{{.*}} to tnear {{.*}}
// BLA9:      1000: fe 03 00 fa blx 0x2000 <tnear>
// BLA9-NEXT: 1004: ff ff ff fa blx 0x1008 <tfar__AT_veneer_T32_LDR>
// BLA9-BYTES:      1000 fe0300fa fffffffa dff800f0 01002002
// BLA9-SYM: .text.bl PROGBITS 00001000 {{[0-9a-f]+}} 000010 00 AX 0 0 4
// BLA9-SYM-DAG: 00001009 {{.+}} FUNC {{.+}} tfar__AT_veneer_T32_LDR{{$}}
// BLA9-SYM-DAG: 00001008 {{.+}} NOTYPE {{.+}} $t{{(\.[^ ]+)?$}}
// BLA9-SYM-DAG: 0000100c {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}

#--- arm.s
        .syntax unified
        .arm
        .section .text.arm, "ax", %progbits
        .p2align 2
        .globl arm_calls
        .type arm_calls, %function
arm_calls:
        bl afar
        b afar2
        bleq afar3
        bl tfar
        blx tfar2
        bleq tnear
        b tnear2

#--- bl.s
        .syntax unified
        .arm
        .section .text.bl, "ax", %progbits
        .p2align 2
        .globl bl_calls
        .type bl_calls, %function
bl_calls:
        bl tnear
        bl tfar

#--- arm.icf
place at address 0x1000 { section .text.arm };

#--- bl.icf
place at address 0x1000 { section .text.bl };
