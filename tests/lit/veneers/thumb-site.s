// Veneers for Thumb branches (R_ARM_THM_CALL, R_ARM_THM_JUMP24). Cores
// without Thumb-2 get the 16-bit PUSH/LDR/MOV/POP/BX veneer for every
// branch that needs one, whatever the target's state; the branch keeps its
// opcode. A Cortex-A9 reaches far Arm code by BLX to an Arm LDR pc veneer,
// reached from the word-aligned place like every BLX; a B.W to Arm code,
// which cannot switch state, goes through a Thumb-2 LDR ip + BX ip veneer.
// Far Thumb code on a Thumb-2 core, M or A profile, gets the Thumb-2 LDR pc
// veneer. Each check covers the calling section byte for byte, the branch,
// the literal (with the Thumb bit for Thumb code), the mapping symbols and
// the veneer's own symbol, odd for a Thumb veneer.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi %S/Inputs/targets.s -o targets.o
// RUN: llvm-mc -filetype=obj -triple=thumbv4t-none-eabi t1.s -o t1.o
// RUN: llvm-mc -filetype=obj -triple=thumbv8m.base-none-eabi base.s -o base.o
// RUN: llvm-mc -filetype=obj -triple=thumbv7a-none-eabi t2.s -o t2.o

// v4T: a BL to near Arm code needs a veneer too, since there is no BLX.
// The literal of the Thumb-1 veneer is a plain word: Arm code keeps bit 0
// clear.
// RUN: tanrek-ld -q --entry=t1_calls t1.o targets.o -T%S/Inputs/targets.icf -Tt1.icf --cpu=v4T -o v4.elf --log-file v4.log > v4.out 2>&1; echo "status $?" >> v4.out
// RUN: FileCheck --check-prefix=OK --match-full-lines --strict-whitespace %s < v4.out
// RUN: FileCheck --check-prefix=V4-LOG --match-full-lines --strict-whitespace %s < v4.log
// RUN: llvm-objdump -d --triple=thumbv4t --print-imm-hex --start-address=0x1000 --stop-address=0x1028 v4.elf | FileCheck --check-prefix=V4 %s
// RUN: llvm-objdump -s -j .text.t1 v4.elf | FileCheck --check-prefix=V4-BYTES %s
// RUN: llvm-readelf -S -s v4.elf | FileCheck --check-prefix=V4-SYM %s

// OK-NOT:{{.}}
// OK:status 0

// V4-LOG:***{{ +}}Construct veneers{{ +}}***
// V4-LOG:  Thumb-1 LDR+BX veneer required at .text.t1+0 to anear, section align = 4
// V4-LOG-NEXT:  Thumb-1 LDR+BX veneer required at .text.t1+4 to tfar, section align = 4
// V4-LOG:  Allocate 00001000-00001027 to section .text.t1 from t1.o

// V4:      1000: 00 f0 02 f8 bl 0x1008 <anear__TT_veneer_T16_LDR_BX>
// V4-NEXT: 1004: 00 f0 08 f8 bl 0x1018 <tfar__TT_veneer_T16_LDR_BX>
// V4:      1008: 08 b4 push {r3}
// V4-NEXT: 100a: 02 4b ldr r3, [pc, #0x8]
// V4-NEXT: 100c: 9c 46 mov r12, r3
// V4-NEXT: 100e: 08 bc pop {r3}
// V4-NEXT: 1010: 60 47 bx r12
// V4-NEXT: 1012: c0 46 mov r8, r8
// V4:      1014: 00 30 00 00 .word 0x00003000
// V4:      1018: 08 b4 push {r3}
// V4-NEXT: 101a: 02 4b ldr r3, [pc, #0x8]
// V4-NEXT: 101c: 9c 46 mov r12, r3
// V4-NEXT: 101e: 08 bc pop {r3}
// V4-NEXT: 1020: 60 47 bx r12
// V4-NEXT: 1022: c0 46 mov r8, r8
// V4:      1024: 01 00 20 02 .word 0x02200001

// V4-BYTES:      1000 00f002f8 00f008f8 08b4024b 9c4608bc
// V4-BYTES-NEXT: 1010 6047c046 00300000 08b4024b 9c4608bc
// V4-BYTES-NEXT: 1020 6047c046 01002002

// V4-SYM: .text.t1 PROGBITS 00001000 {{[0-9a-f]+}} 000028 00 AX 0 0 4
// V4-SYM-DAG: 00001009 {{.+}} FUNC {{.+}} anear__TT_veneer_T16_LDR_BX{{$}}
// V4-SYM-DAG: 00001008 {{.+}} NOTYPE {{.+}} $t{{(\.[^ ]+)?$}}
// V4-SYM-DAG: 00001014 {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}
// V4-SYM-DAG: 00001019 {{.+}} FUNC {{.+}} tfar__TT_veneer_T16_LDR_BX{{$}}
// V4-SYM-DAG: 00001018 {{.+}} NOTYPE {{.+}} $t{{(\.[^ ]+)?$}}
// V4-SYM-DAG: 00001024 {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}

// v5TE: the near Arm call becomes BLX; the far Thumb call gets the veneer.
// RUN: tanrek-ld -q --entry=t1_calls t1.o targets.o -T%S/Inputs/targets.icf -Tt1.icf --cpu=v5TE -o v5.elf --log-file v5.log > v5.out 2>&1; echo "status $?" >> v5.out
// RUN: FileCheck --check-prefix=OK --match-full-lines --strict-whitespace %s < v5.out
// RUN: FileCheck --check-prefix=V5-LOG --match-full-lines --strict-whitespace %s < v5.log
// RUN: llvm-objdump -d --triple=thumbv5te --print-imm-hex --start-address=0x1000 --stop-address=0x1018 v5.elf | FileCheck --check-prefix=V5 %s
// RUN: llvm-objdump -s -j .text.t1 v5.elf | FileCheck --check-prefix=V5-BYTES %s
// RUN: llvm-readelf -S -s v5.elf | FileCheck --check-prefix=V5-SYM %s

// V5-LOG-NOT:{{.*}} to anear{{.*}}
// V5-LOG:  Thumb-1 LDR+BX veneer required at .text.t1+4 to tfar, section align = 4
// V5-LOG-NOT:{{.*}} to anear{{.*}}
// V5:      1000: 01 f0 fe ef blx 0x3000 <anear>
// V5-NEXT: 1004: 00 f0 00 f8 bl 0x1008 <tfar__TT_veneer_T16_LDR_BX>
// V5:      1008: 08 b4 push {r3}
// V5:      1014: 01 00 20 02 .word 0x02200001
// V5-BYTES:      1000 01f0feef 00f000f8 08b4024b 9c4608bc
// V5-BYTES-NEXT: 1010 6047c046 01002002
// V5-SYM: .text.t1 PROGBITS 00001000 {{[0-9a-f]+}} 000018 00 AX 0 0 4
// V5-SYM-DAG: 00001009 {{.+}} FUNC {{.+}} tfar__TT_veneer_T16_LDR_BX{{$}}
// V5-SYM-DAG: 00001008 {{.+}} NOTYPE {{.+}} $t{{(\.[^ ]+)?$}}
// V5-SYM-DAG: 00001014 {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}

// 8-M.base and Cortex-M0: BL and B.W to far Thumb code. (The M0 has no
// B.W; the linker does not look at what the core can execute here.)
// RUN: tanrek-ld -q --entry=base_calls base.o targets.o -T%S/Inputs/targets.icf -Tbase.icf --cpu=8-M.base -o base.elf --log-file base.log > base.out 2>&1; echo "status $?" >> base.out
// RUN: FileCheck --check-prefix=OK --match-full-lines --strict-whitespace %s < base.out
// RUN: FileCheck --check-prefix=BASE-LOG --match-full-lines --strict-whitespace %s < base.log
// RUN: llvm-objdump -d --triple=thumbv8m.base --print-imm-hex --start-address=0x1000 --stop-address=0x1028 base.elf | FileCheck --check-prefix=BASE %s
// RUN: llvm-objdump -s -j .text.base base.elf | FileCheck --check-prefix=BASE-BYTES %s
// RUN: llvm-readelf -S -s base.elf | FileCheck --check-prefix=BASE-SYM %s
// RUN: tanrek-ld -q --entry=base_calls base.o targets.o -T%S/Inputs/targets.icf -Tbase.icf --cpu=cortex-m0 -o m0.elf --log-file m0.log > m0.out 2>&1; echo "status $?" >> m0.out
// RUN: FileCheck --check-prefix=OK --match-full-lines --strict-whitespace %s < m0.out
// RUN: FileCheck --check-prefix=BASE-LOG --match-full-lines --strict-whitespace %s < m0.log
// RUN: llvm-objdump -s -j .text.base m0.elf | FileCheck --check-prefix=BASE-BYTES %s
// RUN: llvm-readelf -S -s m0.elf | FileCheck --check-prefix=BASE-SYM %s

// BASE-LOG:  Thumb-1 LDR+BX veneer required at .text.base+0 to tfar, section align = 4
// BASE-LOG-NEXT:  Thumb-1 LDR+BX veneer required at .text.base+4 to tfar2, section align = 4
// BASE:      1000: 00 f0 02 f8 bl 0x1008 <tfar__TT_veneer_T16_LDR_BX>
// BASE-NEXT: 1004: 00 f0 08 b8 b.w 0x1018 <tfar2__TT_veneer_T16_LDR_BX>
// BASE:      1014: 01 00 20 02 .word 0x02200001
// BASE:      1024: 05 00 20 02 .word 0x02200005
// BASE-BYTES:      1000 00f002f8 00f008b8 08b4024b 9c4608bc
// BASE-BYTES-NEXT: 1010 6047c046 01002002 08b4024b 9c4608bc
// BASE-BYTES-NEXT: 1020 6047c046 05002002
// BASE-SYM: .text.base PROGBITS 00001000 {{[0-9a-f]+}} 000028 00 AX 0 0 4
// BASE-SYM-DAG: 00001009 {{.+}} FUNC {{.+}} tfar__TT_veneer_T16_LDR_BX{{$}}
// BASE-SYM-DAG: 00001008 {{.+}} NOTYPE {{.+}} $t{{(\.[^ ]+)?$}}
// BASE-SYM-DAG: 00001014 {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}
// BASE-SYM-DAG: 00001019 {{.+}} FUNC {{.+}} tfar2__TT_veneer_T16_LDR_BX{{$}}
// BASE-SYM-DAG: 00001018 {{.+}} NOTYPE {{.+}} $t{{(\.[^ ]+)?$}}
// BASE-SYM-DAG: 00001024 {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}

// Cortex-A9 to Arm code: BL and BLX far (the BL at offset 2 shows that
// the BLX counts from the word-aligned place), and B.W near.
// RUN: tanrek-ld -q --entry=t2_arm t2.o targets.o -T%S/Inputs/targets.icf -Tt2a.icf --cpu=cortex-a9 -o a9.elf --log-file a9.log > a9.out 2>&1; echo "status $?" >> a9.out
// RUN: FileCheck --check-prefix=OK --match-full-lines --strict-whitespace %s < a9.out
// RUN: FileCheck --check-prefix=A9-LOG --match-full-lines --strict-whitespace %s < a9.log
// RUN: llvm-objdump -d --triple=thumbv7a --print-imm-hex --start-address=0x1000 --stop-address=0x1010 a9.elf | FileCheck --check-prefix=A9-THUMB %s
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex --start-address=0x1010 --stop-address=0x1020 a9.elf | FileCheck --check-prefix=A9-ARM %s
// RUN: llvm-objdump -d --triple=thumbv7a --print-imm-hex --start-address=0x1020 --stop-address=0x102c a9.elf | FileCheck --check-prefix=A9-BX %s
// RUN: llvm-objdump -s -j .text.t2a a9.elf | FileCheck --check-prefix=A9-BYTES %s
// RUN: llvm-readelf -S -s a9.elf | FileCheck --check-prefix=A9-SYM %s

// A9-LOG:  Arm LDR veneer required at .text.t2a+2 to afar for Thumb-Arm mode switch
// A9-LOG-NEXT:  Arm LDR veneer required at .text.t2a+6 to afar2 for Thumb-Arm mode switch
// A9-LOG-NEXT:  Thumb-2 LDR+BX veneer required at .text.t2a+10 to anear for Thumb-Arm mode switch
// A9-LOG:  Allocate 00001000-0000102b to section .text.t2a from t2.o

// A9-THUMB:      1000: 00 bf nop
// A9-THUMB-NEXT: 1002: 00 f0 06 e8 blx 0x1010 <afar__TA_veneer_A32_LDR>
// A9-THUMB-NEXT: 1006: 00 f0 08 e8 blx 0x1018 <afar2__TA_veneer_A32_LDR>
// A9-THUMB-NEXT: 100a: 00 f0 09 b8 b.w 0x1020 <anear__TA_veneer_T32_LDR_BX>
// A9-ARM:      1010: 04 f0 1f e5 ldr pc, [pc, #-0x4]
// A9-ARM:      1014: 00 00 10 02 .word 0x02100000
// A9-ARM:      1018: 04 f0 1f e5 ldr pc, [pc, #-0x4]
// A9-ARM:      101c: 04 00 10 02 .word 0x02100004
// A9-BX:      1020: df f8 04 c0 ldr.w r12, [pc, #0x4]
// A9-BX-NEXT: 1024: 60 47 bx r12
// A9-BX-NEXT: 1026: c0 46 mov r8, r8
// A9-BX:      1028: 00 30 00 00 .word 0x00003000

// A9-BYTES:      1000 00bf00f0 06e800f0 08e800f0 09b87047
// A9-BYTES-NEXT: 1010 04f01fe5 00001002 04f01fe5 04001002
// A9-BYTES-NEXT: 1020 dff804c0 6047c046 00300000

// A9-SYM: .text.t2a PROGBITS 00001000 {{[0-9a-f]+}} 00002c 00 AX 0 0 4
// A9-SYM-DAG: 00001010 {{.+}} FUNC {{.+}} afar__TA_veneer_A32_LDR{{$}}
// A9-SYM-DAG: 00001010 {{.+}} NOTYPE {{.+}} $a{{(\.[^ ]+)?$}}
// A9-SYM-DAG: 00001014 {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}
// A9-SYM-DAG: 00001018 {{.+}} FUNC {{.+}} afar2__TA_veneer_A32_LDR{{$}}
// A9-SYM-DAG: 00001018 {{.+}} NOTYPE {{.+}} $a{{(\.[^ ]+)?$}}
// A9-SYM-DAG: 0000101c {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}
// A9-SYM-DAG: 00001021 {{.+}} FUNC {{.+}} anear__TA_veneer_T32_LDR_BX{{$}}
// A9-SYM-DAG: 00001020 {{.+}} NOTYPE {{.+}} $t{{(\.[^ ]+)?$}}
// A9-SYM-DAG: 00001028 {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}

// Far Thumb code from Thumb-2, the same on Cortex-M3 and Cortex-A9.
// RUN: tanrek-ld -q --entry=t2_thumb t2.o targets.o -T%S/Inputs/targets.icf -Tt2t.icf --cpu=cortex-m3 -o m3.elf --log-file m3.log > m3.out 2>&1; echo "status $?" >> m3.out
// RUN: FileCheck --check-prefix=OK --match-full-lines --strict-whitespace %s < m3.out
// RUN: FileCheck --check-prefix=T2-LOG --match-full-lines --strict-whitespace %s < m3.log
// RUN: llvm-objdump -d --triple=thumbv7m --print-imm-hex --start-address=0x1000 --stop-address=0x1018 m3.elf | FileCheck --check-prefix=T2 %s
// RUN: llvm-objdump -s -j .text.t2t m3.elf | FileCheck --check-prefix=T2-BYTES %s
// RUN: llvm-readelf -S -s m3.elf | FileCheck --check-prefix=T2-SYM %s
// RUN: tanrek-ld -q --entry=t2_thumb t2.o targets.o -T%S/Inputs/targets.icf -Tt2t.icf --cpu=cortex-a9 -o t2a9.elf --log-file t2a9.log > t2a9.out 2>&1; echo "status $?" >> t2a9.out
// RUN: FileCheck --check-prefix=OK --match-full-lines --strict-whitespace %s < t2a9.out
// RUN: FileCheck --check-prefix=T2-LOG --match-full-lines --strict-whitespace %s < t2a9.log
// RUN: llvm-objdump -s -j .text.t2t t2a9.elf | FileCheck --check-prefix=T2-BYTES %s
// RUN: llvm-readelf -S -s t2a9.elf | FileCheck --check-prefix=T2-SYM %s

// T2-LOG:  Thumb-2 LDR veneer required at .text.t2t+0 to tfar for Thumb-Thumb range extension
// T2-LOG-NEXT:  Thumb-2 LDR veneer required at .text.t2t+4 to tfar2 for Thumb-Thumb range extension
// T2:      1000: 00 f0 02 f8 bl 0x1008 <tfar__TT_veneer_T32_LDR>
// T2-NEXT: 1004: 00 f0 04 b8 b.w 0x1010 <tfar2__TT_veneer_T32_LDR>
// T2:      1008: df f8 00 f0 ldr.w pc, [pc, #0x0]
// T2:      100c: 01 00 20 02 .word 0x02200001
// T2:      1010: df f8 00 f0 ldr.w pc, [pc, #0x0]
// T2:      1014: 05 00 20 02 .word 0x02200005
// T2-BYTES:      1000 00f002f8 00f004b8 dff800f0 01002002
// T2-BYTES-NEXT: 1010 dff800f0 05002002
// T2-SYM: .text.t2t PROGBITS 00001000 {{[0-9a-f]+}} 000018 00 AX 0 0 4
// T2-SYM-DAG: 00001009 {{.+}} FUNC {{.+}} tfar__TT_veneer_T32_LDR{{$}}
// T2-SYM-DAG: 00001008 {{.+}} NOTYPE {{.+}} $t{{(\.[^ ]+)?$}}
// T2-SYM-DAG: 0000100c {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}
// T2-SYM-DAG: 00001011 {{.+}} FUNC {{.+}} tfar2__TT_veneer_T32_LDR{{$}}
// T2-SYM-DAG: 00001010 {{.+}} NOTYPE {{.+}} $t{{(\.[^ ]+)?$}}
// T2-SYM-DAG: 00001014 {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}

// A Thumb BL without Thumb-2 (v5TE) reaches 4 MiB each way (+0x3ffffe and
// -0x400000 from P + 4); one step past gets a veneer. The 32-bit BL of
// the M0 reaches 16 MiB: the same calls need none.
// RUN: llvm-mc -filetype=obj -triple=thumbv5te-none-eabi reach.s -o reach.o
// RUN: tanrek-ld -q --entry=reach reach.o -Treach.icf --cpu=v5TE -o reach.elf --log-file reach.log > reach.out 2>&1; echo "status $?" >> reach.out
// RUN: FileCheck --check-prefix=OK --match-full-lines --strict-whitespace %s < reach.out
// RUN: FileCheck --check-prefix=REACH-LOG --match-full-lines --strict-whitespace %s < reach.log
// RUN: llvm-objdump -d --triple=thumbv5te --print-imm-hex --start-address=0x800000 --stop-address=0x800010 reach.elf | FileCheck --check-prefix=REACH %s
// REACH-LOG:***{{ +}}Construct veneers{{ +}}***
// REACH-LOG-NOT:{{.*}}veneer{{.*}}
// REACH-LOG:  Thumb-1 LDR+BX veneer required at .text.reach+4 to fpast, section align = 4
// REACH-LOG-NEXT:  Thumb-1 LDR+BX veneer required at .text.reach+12 to bpast, section align = 4
// REACH:      800000: ff f3 ff ff bl 0xc00002 <fmax>
// REACH-NEXT: 800004: 00 f0 04 f8 bl 0x800010 <fpast__TT_veneer_T16_LDR_BX>
// REACH-NEXT: 800008: 00 f4 00 f8 bl 0x40000c <bmax>
// REACH-NEXT: 80000c: 00 f0 08 f8 bl 0x800020 <bpast__TT_veneer_T16_LDR_BX>

// RUN: tanrek-ld -q --entry=reach reach.o -Treach.icf --cpu=cortex-m0 -o reach-m0.elf --log-file reach-m0.log > reach-m0.out 2>&1; echo "status $?" >> reach-m0.out
// RUN: FileCheck --check-prefix=OK --match-full-lines --strict-whitespace %s < reach-m0.out
// RUN: FileCheck --check-prefix=REACH-M0-LOG %s < reach-m0.log
// RUN: llvm-objdump -d --triple=thumbv6m --print-imm-hex --start-address=0x800000 --stop-address=0x800010 reach-m0.elf | FileCheck --check-prefix=REACH-M0 %s
// REACH-M0-LOG-NOT: veneer required
// REACH-M0:      800000: ff f3 ff ff bl 0xc00002 <fmax>
// REACH-M0-NEXT: 800004: 00 f0 00 f0 bl 0xc00008 <fpast>
// REACH-M0-NEXT: 800008: 00 f4 00 f8 bl 0x40000c <bmax>
// REACH-M0-NEXT: 80000c: ff f7 ff f7 bl 0x40000e <bpast>

// On a core without Arm state, a veneer's literal always gets the Thumb
// bit: a far call to Thumb code whose label is not typed as a function
// still works, with a warning.
// RUN: tanrek-ld -q --entry=untyped t2.o targets.o -T%S/Inputs/targets.icf -Tuntyped.icf --cpu=cortex-m3 -o untyped.elf > untyped.out 2>&1; echo "status $?" >> untyped.out
// RUN: FileCheck --check-prefix=UNTYPED --match-full-lines --strict-whitespace %s < untyped.out
// RUN: llvm-objdump -d --triple=thumbv7m --print-imm-hex --start-address=0x1000 --stop-address=0x100c untyped.elf | FileCheck --check-prefix=UNTYPED-DIS %s
// UNTYPED:Diagnostics:
// UNTYPED-NEXT:warning: call from .text.untyped made to tlabel but tlabel is a symbol without the low bit set
// UNTYPED:status 0
// UNTYPED-DIS:      1000: 00 f0 00 f8 bl 0x1004 <tlabel__TT_veneer_T32_LDR>
// UNTYPED-DIS:      1004: df f8 00 f0 ldr.w pc, [pc, #0x0]
// UNTYPED-DIS:      1008: 09 00 20 02 .word 0x02200009

// A Thumb call record on an instruction that is neither BL, BLX nor B.W,
// out of range of Arm code on a Cortex-A9, ends the link.
// RUN: tanrek-ld -q --entry=bad t2.o targets.o -T%S/Inputs/targets.icf -Tbad.icf --cpu=cortex-a9 -o bad.elf > bad.out 2>&1; echo "status $?" >> bad.out
// RUN: FileCheck --check-prefix=BAD --match-full-lines --strict-whitespace %s < bad.out
// BAD:error: Thumb-Arm veneer requested for opcode 0x8000f000 (not BL and not B) at .text.bad+0 to afar, section align = 4
// BAD-NEXT:status 100

#--- t1.s
        .syntax unified
        .thumb
        .section .text.t1, "ax", %progbits
        .p2align 1
        .globl t1_calls
        .type t1_calls, %function
t1_calls:
        bl anear
        bl tfar

#--- base.s
        .syntax unified
        .thumb
        .section .text.base, "ax", %progbits
        .p2align 1
        .globl base_calls
        .type base_calls, %function
base_calls:
        bl tfar
        b.w tfar2

#--- t2.s
        .syntax unified
        .thumb
        .section .text.t2a, "ax", %progbits
        .p2align 1
        .globl t2_arm
        .type t2_arm, %function
t2_arm:
        nop
        bl afar
        blx afar2
        b.w anear
        bx lr

        .section .text.t2t, "ax", %progbits
        .p2align 1
        .globl t2_thumb
        .type t2_thumb, %function
t2_thumb:
        bl tfar
        b.w tfar2

        .section .text.untyped, "ax", %progbits
        .p2align 2
        .globl untyped
        .type untyped, %function
untyped:
        bl tlabel

        .section .text.bad, "ax", %progbits
        .p2align 2
        .globl bad
        .type bad, %function
bad:    .reloc ., R_ARM_THM_JUMP24, afar
        .inst.w 0xf0008000              @ beq.w

#--- reach.s
        .syntax unified
        .thumb
        .section .text.reach, "ax", %progbits
        .p2align 1
        .globl reach
        .type reach, %function
reach:  bl fmax
        bl fpast
        bl bmax
        bl bpast
        .irp name, fmax, fpast, bmax, bpast
        .section .text.\name, "ax", %progbits
        .p2align 1
        .globl \name
        .type \name, %function
\name:  bx lr
        .endr

#--- reach.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
place at address 0x00800000 { section .text.reach };
place at address 0x00c00002 { section .text.fmax };
place at address 0x00c00008 { section .text.fpast };
place at address 0x0040000c { section .text.bmax };
place at address 0x0040000e { section .text.bpast };

#--- t1.icf
place at address 0x1000 { section .text.t1 };
#--- base.icf
place at address 0x1000 { section .text.base };
#--- t2a.icf
place at address 0x1000 { section .text.t2a };
#--- t2t.icf
place at address 0x1000 { section .text.t2t };
#--- untyped.icf
place at address 0x1000 { section .text.untyped };
#--- bad.icf
place at address 0x1000 { section .text.bad };
