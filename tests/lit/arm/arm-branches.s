// Arm B, BL and BL<c> (R_ARM_CALL, R_ARM_JUMP24 and the older R_ARM_PC24)
// at the largest forward and backward offsets (+0x1fffffc and -0x2000000
// from P + 8), and one step past each. The callers never move; only the
// targets do, so the same object gives both links. In-place addends
// (bl f+8, bl f-8) count on top of the target.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi code.s -o code.o
// RUN: tanrek-ld -q --entry=Reset_Handler code.o -Tin.icf --cpu=cortex-a9 -o in.elf > in.out 2>&1; echo "status $?" >> in.out
// RUN: FileCheck --check-prefix=IN-OUT --match-full-lines --strict-whitespace %s < in.out
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex in.elf | FileCheck --check-prefix=IN %s

// IN-OUT-NOT:{{.}}
// IN-OUT:status 0

// IN:      1000000: ff ff 7f eb bl 0x3000004 <fwd0>
// IN-NEXT: 1000004: ff ff 7f ea b 0x3000008 <fwd1>
// IN-NEXT: 1000008: ff ff 7f 0b bleq 0x300000c <fwd2>
// IN-NEXT: 100000c: ff ff 7f eb bl 0x3000010 <fwd3>
// IN:      2100000: 00 00 80 eb bl 0x100008 <bwd0>
// IN-NEXT: 2100004: 00 00 80 ea b 0x10000c <bwd1>
// IN-NEXT: 2100008: 00 00 80 0b bleq 0x100010 <bwd2>
// IN-NEXT: 210000c: 00 00 80 eb bl 0x100014 <bwd3>
// IN:      2f00000: 04 00 04 eb bl 0x3000018
// IN-NEXT: 2f00004: fc ff 03 eb bl 0x2fffffc

// Relocating is deterministic: a second link gives the same file.
// RUN: tanrek-ld -q --entry=Reset_Handler code.o -Tin.icf --cpu=cortex-a9 -o again.elf
// RUN: cmp in.elf again.elf

// One step past each end, each branch goes through an Arm LDR veneer
// appended to its section; the literal holds the target, in-place addends
// included.
// RUN: tanrek-ld -q --entry=Reset_Handler code.o -Tout.icf --cpu=cortex-a9 -o out.elf > out.out 2>&1; echo "status $?" >> out.out
// RUN: FileCheck --check-prefix=IN-OUT --match-full-lines --strict-whitespace %s < out.out
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex out.elf | FileCheck --check-prefix=OUT %s

// OUT:      f00000: 00 00 00 eb bl 0xf00008 <fwd3__AA_veneer_A32_LDR>
// OUT-NEXT: f00004: 01 00 00 eb bl 0xf00010 <fwd0__AA_veneer_A32_LDR>
// OUT:      f0000c: 1c 00 00 03 .word 0x0300001c
// OUT:      f00014: 00 00 00 03 .word 0x03000000
// OUT:      1000000: 02 00 00 eb bl 0x1000010 <fwd0__AA_veneer_A32_LDR>
// OUT-NEXT: 1000004: 03 00 00 ea b 0x1000018 <fwd1__AA_veneer_A32_LDR>
// OUT-NEXT: 1000008: 04 00 00 0b bleq 0x1000020 <fwd2__AA_veneer_A32_LDR>
// OUT-NEXT: 100000c: 05 00 00 eb bl 0x1000028 <fwd3__AA_veneer_A32_LDR>
// OUT:      1000014: 08 00 00 03 .word 0x03000008
// OUT:      100001c: 0c 00 00 03 .word 0x0300000c
// OUT:      1000024: 10 00 00 03 .word 0x03000010
// OUT:      100002c: 14 00 00 03 .word 0x03000014
// OUT:      2100000: 02 00 00 eb bl 0x2100010 <bwd0__AA_veneer_A32_LDR>
// OUT-NEXT: 2100004: 03 00 00 ea b 0x2100018 <bwd1__AA_veneer_A32_LDR>
// OUT-NEXT: 2100008: 04 00 00 0b bleq 0x2100020 <bwd2__AA_veneer_A32_LDR>
// OUT-NEXT: 210000c: 05 00 00 eb bl 0x2100028 <bwd3__AA_veneer_A32_LDR>
// OUT:      2100014: 04 00 10 00 .word 0x00100004
// OUT:      210001c: 08 00 10 00 .word 0x00100008
// OUT:      2100024: 0c 00 10 00 .word 0x0010000c
// OUT:      210002c: 10 00 10 00 .word 0x00100010

// Offsets are taken modulo 2^32: a call from the top of the address space
// to its bottom, and back, is near.
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi wrap.s -o wrap.o
// RUN: tanrek-ld -q --entry=top wrap.o -Twrap.icf --cpu=cortex-a9 -o wrap.elf > wrap.out 2>&1; echo "status $?" >> wrap.out
// RUN: FileCheck --check-prefix=IN-OUT --match-full-lines --strict-whitespace %s < wrap.out
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex wrap.elf | FileCheck --check-prefix=WRAP %s
// WRAP:      100: 7e ff ff eb bl 0xffffff00
// WRAP:      ffffff00: 7e 00 00 eb bl 0x100

#--- wrap.s
        .syntax unified
        .arm
        .section .text.top, "ax", %progbits
        .p2align 2
        .globl top
        .type top, %function
top:    bl bottom
        .section .text.bottom, "ax", %progbits
        .p2align 2
        .globl bottom
        .type bottom, %function
bottom: bl top

#--- wrap.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
place at address 0xffffff00 { section .text.top };
place at address 0x100 { section .text.bottom };

#--- code.s
        .syntax unified
        .arm
        .macro func name
        .globl \name
        .type \name, %function
\name:  bx lr
        .endm

        .section .text.fwd, "ax", %progbits
        .p2align 2
        .globl Reset_Handler
        .type Reset_Handler, %function
Reset_Handler:
        bl fwd0
        b fwd1
        bleq fwd2
        .reloc ., R_ARM_PC24, fwd3
        .inst 0xebfffffe                @ bl . (in-place addend -8)

        .section .text.bwd, "ax", %progbits
        .p2align 2
        .globl back
        .type back, %function
back:   bl bwd0
        b bwd1
        bleq bwd2
        .reloc ., R_ARM_PC24, bwd3
        .inst 0xebfffffe

        // Targets four bytes apart, like their callers.
        .section .text.fwdt, "ax", %progbits
        .p2align 2
        func fwd0
        func fwd1
        func fwd2
        func fwd3
        .section .text.bwdt, "ax", %progbits
        .p2align 2
        func bwd0
        func bwd1
        func bwd2
        func bwd3

        // In-place addends: 8 bytes past fwd3 and 8 bytes before fwd0.
        .section .text.addend, "ax", %progbits
        .p2align 2
        .globl addend
        .type addend, %function
addend: bl fwd3+8
        bl fwd0-8

#--- in.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
keep { section .text.bwd, section .text.addend };
place at address 0x01000000 { section .text.fwd };
place at address 0x03000004 { section .text.fwdt };
place at address 0x02100000 { section .text.bwd };
place at address 0x00100008 { section .text.bwdt };
place at address 0x02f00000 { section .text.addend };

#--- out.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
keep { section .text.bwd, section .text.addend };
place at address 0x01000000 { section .text.fwd };
place at address 0x03000008 { section .text.fwdt };
place at address 0x02100000 { section .text.bwd };
place at address 0x00100004 { section .text.bwdt };
place at address 0x00f00000 { section .text.addend };
