// The branch to a veneer is written as the instruction that enters the
// veneer's state, whatever the input instruction was: BL to Arm veneer code
// from Arm, even from an Arm BLX; BLX to Thumb veneer code from Arm; from
// Thumb, BLX to Arm veneer code and BL to Thumb veneer code, even from a
// Thumb BLX. Cores without Thumb-2 cannot run the Thumb-2 veneer, so an
// Arm BLX to far Thumb code goes through the Arm LDR+BX veneer there.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi %S/Inputs/targets.s -o targets.o
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi blx.s -o blx.o

// RUN: tanrek-ld -q --entry=arm_blx blx.o targets.o -T%S/Inputs/targets.icf -Tblx.icf --cpu=cortex-a9 -o a9.elf --log-file a9.log > a9.out 2>&1; echo "status $?" >> a9.out
// RUN: FileCheck --check-prefix=OK --match-full-lines --strict-whitespace %s < a9.out
// RUN: FileCheck --check-prefix=A9-LOG --match-full-lines --strict-whitespace %s < a9.log
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex --start-address=0x1000 --stop-address=0x1008 a9.elf | FileCheck --check-prefix=A9-ARM %s
// RUN: llvm-objdump -d --triple=thumbv7a --print-imm-hex --start-address=0x1100 --stop-address=0x1104 a9.elf | FileCheck --check-prefix=A9-THUMB %s

// OK-NOT:{{.}}
// OK:status 0

// A9-LOG:  Thumb-2 LDR veneer required at .text.arm+0 to tfar for Arm-Thumb mode switch
// A9-LOG-NEXT:  Arm LDR veneer required at .text.arm+4 to afar for Arm-Arm range extension
// A9-LOG-NEXT:  Arm LDR veneer required at .text.thumb+0 to afar for Thumb-Arm mode switch
// A9-ARM:      1000: 00 00 00 fa blx 0x1008 <tfar__AT_veneer_T32_LDR>
// A9-ARM-NEXT: 1004: 01 00 00 eb bl 0x1010 <afar__AA_veneer_A32_LDR>
// A9-THUMB:    1100: 00 f0 00 e8 blx 0x1104 <afar__TA_veneer_A32_LDR>

// RUN: tanrek-ld -q --entry=arm_blx blx.o targets.o -T%S/Inputs/targets.icf -Tblx.icf --cpu=v5TE -o v5.elf --log-file v5.log > v5.out 2>&1; echo "status $?" >> v5.out
// RUN: FileCheck --check-prefix=OK --match-full-lines --strict-whitespace %s < v5.out
// RUN: FileCheck --check-prefix=V5-LOG --match-full-lines --strict-whitespace %s < v5.log
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex --start-address=0x1000 --stop-address=0x1008 v5.elf | FileCheck --check-prefix=V5-ARM %s
// RUN: llvm-objdump -d --triple=thumbv7a --print-imm-hex --start-address=0x1100 --stop-address=0x1104 v5.elf | FileCheck --check-prefix=V5-THUMB %s

// V5-LOG:  Arm LDR+BX veneer required at .text.arm+0 to tfar for Arm-Thumb mode switch
// V5-LOG-NEXT:  Arm LDR veneer required at .text.arm+4 to afar for Arm-Arm range extension
// V5-LOG-NEXT:  Thumb-1 LDR+BX veneer required at .text.thumb+0 to afar, section align = 4
// V5-ARM:      1000: 00 00 00 eb bl 0x1008 <tfar__AT_veneer_A32_LDR_BX>
// V5-ARM-NEXT: 1004: 02 00 00 eb bl 0x1014 <afar__AA_veneer_A32_LDR>
// V5-THUMB:    1100: 00 f0 00 f8 bl 0x1104 <afar__TT_veneer_T16_LDR_BX>

#--- blx.s
        .syntax unified
        .arm
        .section .text.arm, "ax", %progbits
        .p2align 2
        .globl arm_blx
        .type arm_blx, %function
arm_blx:
        blx tfar
        .reloc ., R_ARM_CALL, afar
        .inst 0xfafffffe                @ blx to an Arm function
        .thumb
        .section .text.thumb, "ax", %progbits
        .p2align 1
        .globl thumb_blx
        .type thumb_blx, %function
thumb_blx:
        blx afar

#--- blx.icf
keep { section .text.thumb };
place at address 0x1000 { section .text.arm };
place at address 0x1100 { section .text.thumb };
