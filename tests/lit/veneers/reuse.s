// Reusing veneers. Within one section, a second branch to the same target
// that needs the same kind of veneer goes to the veneer already made (the
// log says so and the section grows once); a branch to the same target
// that needs another kind gets a veneer of its own, and so does the same
// call made from another section. Every kind is reused once.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi %S/Inputs/targets.s -o targets.o
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi arm.s -o arm.o
// RUN: llvm-mc -filetype=obj -triple=thumbv7a-none-eabi thumb.s -o thumb.o

// Thumb to far Thumb code on a Cortex-M3, from two sections.
// RUN: tanrek-ld -q --entry=m3_calls thumb.o targets.o -T%S/Inputs/targets.icf -Tm3.icf --cpu=cortex-m3 -o m3.elf --log-file m3.log > m3.out 2>&1; echo "status $?" >> m3.out
// RUN: FileCheck --check-prefix=OK --match-full-lines --strict-whitespace %s < m3.out
// RUN: FileCheck --check-prefix=M3-LOG --match-full-lines --strict-whitespace %s < m3.log
// RUN: llvm-objdump -d --triple=thumbv7m --print-imm-hex --start-address=0x1000 --stop-address=0x1010 m3.elf | FileCheck --check-prefix=M3 %s
// RUN: llvm-objdump -d --triple=thumbv7m --print-imm-hex --start-address=0x1100 --stop-address=0x110c m3.elf | FileCheck --check-prefix=M3-2 %s
// RUN: llvm-readelf -S -s m3.elf | FileCheck --check-prefix=M3-SYM %s

// OK-NOT:{{.}}
// OK:status 0

// M3-LOG:  Thumb-2 LDR veneer required at .text.m3+0 to tfar for Thumb-Thumb range extension
// M3-LOG-NEXT:  Existing Thumb-2 LDR veneer reused at .text.m3+4 to tfar, section align = 4
// M3-LOG-NEXT:  Thumb-2 LDR veneer required at .text.m3b+0 to tfar for Thumb-Thumb range extension
// M3-LOG:  Allocate 00001000-0000100f to section .text.m3 from thumb.o
// M3-LOG:  Allocate 00001100-0000110b to section .text.m3b from thumb.o
// M3-LOG-NOT:{{.*}}veneer{{.*}}
// M3-LOG:***{{ +}}Relocate image{{ +}}***

// M3:      1000: 00 f0 02 f8 bl 0x1008 <tfar__TT_veneer_T32_LDR>
// M3-NEXT: 1004: 00 f0 00 b8 b.w 0x1008 <tfar__TT_veneer_T32_LDR>
// M3:      1008: df f8 00 f0 ldr.w pc, [pc, #0x0]
// M3:      100c: 01 00 20 02 .word 0x02200001
// M3-2:      1100: 00 f0 00 f8 bl 0x1104 <tfar__TT_veneer_T32_LDR>
// M3-2:      1104: df f8 00 f0 ldr.w pc, [pc, #0x0]
// M3-2:      1108: 01 00 20 02 .word 0x02200001

// M3-SYM: .text.m3 PROGBITS 00001000 {{[0-9a-f]+}} 000010 00 AX 0 0 4
// M3-SYM: .text.m3b PROGBITS 00001100 {{[0-9a-f]+}} 00000c 00 AX 0 0 4
// M3-SYM-DAG: 00001009 {{.+}} FUNC {{.+}} tfar__TT_veneer_T32_LDR{{$}}
// M3-SYM-DAG: 00001105 {{.+}} FUNC {{.+}} tfar__TT_veneer_T32_LDR{{$}}

// Arm and Thumb callers on a Cortex-A9: the other four kinds.
// RUN: tanrek-ld -q --entry=arm_calls arm.o thumb.o targets.o -T%S/Inputs/targets.icf -Ta9.icf --cpu=cortex-a9 -o a9.elf --log-file a9.log > a9.out 2>&1; echo "status $?" >> a9.out
// RUN: FileCheck --check-prefix=OK --match-full-lines --strict-whitespace %s < a9.out
// RUN: FileCheck --check-prefix=A9-LOG --match-full-lines --strict-whitespace %s < a9.log
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex --start-address=0x1000 --stop-address=0x1044 a9.elf | FileCheck --check-prefix=A9-ARM %s
// RUN: llvm-objdump -d --triple=thumbv7a --print-imm-hex --start-address=0x1100 --stop-address=0x1110 a9.elf | FileCheck --check-prefix=A9-THUMB %s
// RUN: llvm-objdump -s -j .text.arm -j .text.a9 a9.elf | FileCheck --check-prefix=A9-BYTES %s
// RUN: llvm-readelf -S a9.elf | FileCheck --check-prefix=A9-SEC %s

// A9-LOG:  Arm LDR veneer required at .text.arm+0 to afar for Arm-Arm range extension
// A9-LOG-NEXT:  Existing Arm LDR veneer reused at .text.arm+4 to afar for Arm-Arm range extension
// A9-LOG-NEXT:  Arm LDR+BX veneer required at .text.arm+8 to tnear for Arm-Thumb mode switch
// A9-LOG-NEXT:  Existing Arm BX veneer reused at .text.arm+12 to tnear for Arm-Thumb mode switch
// A9-LOG-NEXT:  Thumb-2 LDR veneer required at .text.arm+16 to tfar for Arm-Thumb mode switch
// A9-LOG-NEXT:  Existing Thumb-2 LDR veneer reused at .text.arm+20 to tfar, section align = 4
// A9-LOG-NEXT:  Arm LDR+BX veneer required at .text.arm+24 to tfar for Arm-Thumb mode switch
// A9-LOG-NEXT:  Thumb-2 LDR+BX veneer required at .text.a9+0 to anear for Thumb-Arm mode switch
// A9-LOG-NEXT:  Existing Thumb-2 BX veneer reused at .text.a9+4 to anear for Thumb-Arm mode switch
// A9-LOG-NEXT:  Arm LDR veneer required at .text.a9+8 to afar for Thumb-Arm mode switch
// A9-LOG-NEXT:  Existing Arm LDR veneer reused at .text.a9+12 to afar for Thumb-Arm mode switch

// A9-ARM:      1000: 05 00 00 eb bl 0x101c <afar__AA_veneer_A32_LDR>
// A9-ARM-NEXT: 1004: 04 00 00 ea b 0x101c <afar__AA_veneer_A32_LDR>
// A9-ARM-NEXT: 1008: 05 00 00 0b bleq 0x1024 <tnear__AT_veneer_A32_LDR_BX>
// A9-ARM-NEXT: 100c: 04 00 00 ea b 0x1024 <tnear__AT_veneer_A32_LDR_BX>
// A9-ARM-NEXT: 1010: 06 00 00 fa blx 0x1030 <tfar__AT_veneer_T32_LDR>
// A9-ARM-NEXT: 1014: 05 00 00 fa blx 0x1030 <tfar__AT_veneer_T32_LDR>
// A9-ARM-NEXT: 1018: 06 00 00 ea b 0x1038 <tfar__AT_veneer_A32_LDR_BX>
// A9-THUMB:      1100: 00 f0 06 b8 b.w 0x1110 <anear__TA_veneer_T32_LDR_BX>
// A9-THUMB-NEXT: 1104: 00 f0 04 b8 b.w 0x1110 <anear__TA_veneer_T32_LDR_BX>
// A9-THUMB-NEXT: 1108: 00 f0 08 e8 blx 0x111c <afar__TA_veneer_A32_LDR>
// A9-THUMB-NEXT: 110c: 00 f0 06 e8 blx 0x111c <afar__TA_veneer_A32_LDR>

// A9-BYTES:      1000 050000eb 040000ea 0500000b 040000ea
// A9-BYTES-NEXT: 1010 060000fa 050000fa 060000ea 04f01fe5
// A9-BYTES-NEXT: 1020 00001002 00c09fe5 1cff2fe1 01200000
// A9-BYTES-NEXT: 1030 dff800f0 01002002 00c09fe5 1cff2fe1
// A9-BYTES-NEXT: 1040 01002002
// A9-BYTES:      1100 00f006b8 00f004b8 00f008e8 00f006e8
// A9-BYTES-NEXT: 1110 dff804c0 6047c046 00300000 04f01fe5
// A9-BYTES-NEXT: 1120 00001002

// A9-SEC: .text.arm PROGBITS 00001000 {{[0-9a-f]+}} 000044 00 AX 0 0 4
// A9-SEC: .text.a9 PROGBITS 00001100 {{[0-9a-f]+}} 000024 00 AX 0 0 4

// Thumb-1 on a v4T.
// RUN: tanrek-ld -q --entry=v4_calls thumb.o targets.o -T%S/Inputs/targets.icf -Tv4.icf --cpu=v4T -o v4.elf --log-file v4.log > v4.out 2>&1; echo "status $?" >> v4.out
// RUN: FileCheck --check-prefix=OK --match-full-lines --strict-whitespace %s < v4.out
// RUN: FileCheck --check-prefix=V4-LOG --match-full-lines --strict-whitespace %s < v4.log
// RUN: llvm-objdump -d --triple=thumbv4t --print-imm-hex --start-address=0x1000 --stop-address=0x1008 v4.elf | FileCheck --check-prefix=V4 %s
// RUN: llvm-readelf -S v4.elf | FileCheck --check-prefix=V4-SEC %s

// V4-LOG:  Thumb-1 LDR+BX veneer required at .text.v4+0 to tfar, section align = 4
// V4-LOG-NEXT:  Existing Thumb-1 BX reused at .text.v4+4 to tfar, section align = 4
// V4:      1000: 00 f0 02 f8 bl 0x1008 <tfar__TT_veneer_T16_LDR_BX>
// V4-NEXT: 1004: 00 f0 00 f8 bl 0x1008 <tfar__TT_veneer_T16_LDR_BX>
// V4-SEC: .text.v4 PROGBITS 00001000 {{[0-9a-f]+}} 000018 00 AX 0 0 4

#--- arm.s
        .syntax unified
        .arm
        .section .text.arm, "ax", %progbits
        .p2align 2
        .globl arm_calls
        .type arm_calls, %function
arm_calls:
        bl afar
        b afar
        bleq tnear
        b tnear
        bl tfar
        blx tfar
        b tfar

#--- thumb.s
        .syntax unified
        .thumb
        .section .text.m3, "ax", %progbits
        .p2align 1
        .globl m3_calls
        .type m3_calls, %function
m3_calls:
        bl tfar
        b.w tfar
        .section .text.m3b, "ax", %progbits
        .p2align 1
        .globl m3_more
        .type m3_more, %function
m3_more:
        bl tfar

        .section .text.a9, "ax", %progbits
        .p2align 1
        .globl a9_calls
        .type a9_calls, %function
a9_calls:
        b.w anear
        b.w anear
        bl afar
        blx afar

        .section .text.v4, "ax", %progbits
        .p2align 1
        .globl v4_calls
        .type v4_calls, %function
v4_calls:
        bl tfar
        bl tfar

#--- m3.icf
keep { section .text.m3b };
place at address 0x1000 { section .text.m3 };
place at address 0x1100 { section .text.m3b };

#--- a9.icf
keep { section .text.a9 };
place at address 0x1000 { section .text.arm };
place at address 0x1100 { section .text.a9 };

#--- v4.icf
place at address 0x1000 { section .text.v4 };
