// Thumb BL and B.W (R_ARM_THM_CALL, R_ARM_THM_JUMP24: +0xfffffe and
// -0x1000000 from P + 4) and B<c>.W (R_ARM_THM_JUMP19: +0xffffe and
// -0x100000) at the largest offsets each way and one step past, on a
// Cortex-M3. In-place addends (bl f+8, bl f-8) count on top of the target.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=thumbv7m-none-eabi code.s -o code.o
// RUN: tanrek-ld -q --entry=Reset_Handler code.o -Tin.icf --cpu=cortex-m3 -o in.elf > in.out 2>&1; echo "status $?" >> in.out
// RUN: FileCheck --check-prefix=IN-OUT --match-full-lines --strict-whitespace %s < in.out
// RUN: llvm-objdump -d --triple=thumbv7m --print-imm-hex in.elf | FileCheck --check-prefix=IN %s

// IN-OUT-NOT:{{.}}
// IN-OUT:status 0

// IN:      1000000: ff f3 ff d7 bl 0x2000002 <fwd0>
// IN-NEXT: 1000004: ff f3 ff 97 b.w 0x2000006 <fwd1>
// IN:      1f00000: 00 f1 05 f8 bl 0x200000e
// IN-NEXT: 1f00004: ff f0 f9 ff bl 0x1fffffa
// IN:      2100000: 00 f4 00 d0 bl 0x1100004 <bwd0>
// IN-NEXT: 2100004: 00 f4 00 90 b.w 0x1100008 <bwd1>
// IN:      3000000: 3f f0 ff af beq.w 0x3100002 <cfwd>
// IN-NEXT: 3000004: 40 f4 00 80 bne.w 0x2f00008 <cbwd>

// One step past each end: BL and B.W go through Thumb-2 LDR veneers
// appended to their sections, whose literals hold the target with its
// Thumb bit, in-place addends included. B<c>.W never gets a veneer: it is
// written truncated, with a warning.
// RUN: tanrek-ld -q --entry=Reset_Handler code.o -Tout.icf --cpu=cortex-m3 -o out.elf > out.out 2>&1; echo "status $?" >> out.out
// RUN: FileCheck --check-prefix=OUT-OUT --match-full-lines --strict-whitespace %s < out.out
// RUN: llvm-objdump -d --triple=thumbv7m --print-imm-hex out.elf | FileCheck --check-prefix=OUT %s

// OUT-OUT:Diagnostics:
// OUT-OUT-NEXT:warning: relocation R_ARM_THM_JUMP19 to cfwd truncated to fit at .text.cond+0
// OUT-OUT-NEXT:warning: relocation R_ARM_THM_JUMP19 to cbwd truncated to fit at .text.cond+4
// OUT-OUT-NOT:{{.*}}veneer{{.*}}
// OUT-OUT:status 0

// OUT:      f00000: 00 f0 02 f8 bl 0xf00008 <fwd1__TT_veneer_T32_LDR>
// OUT-NEXT: f00004: 00 f0 04 f8 bl 0xf00010 <fwd0__TT_veneer_T32_LDR>
// OUT:      f0000c: 11 00 00 02 .word 0x02000011
// OUT:      f00014: fd ff ff 01 .word 0x01fffffd
// OUT:      1000000: 00 f0 02 f8 bl 0x1000008 <fwd0__TT_veneer_T32_LDR>
// OUT-NEXT: 1000004: 00 f0 04 b8 b.w 0x1000010 <fwd1__TT_veneer_T32_LDR>
// OUT:      100000c: 05 00 00 02 .word 0x02000005
// OUT:      1000014: 09 00 00 02 .word 0x02000009
// OUT:      2100000: 00 f0 02 f8 bl 0x2100008 <bwd0__TT_veneer_T32_LDR>
// OUT-NEXT: 2100004: 00 f0 04 b8 b.w 0x2100010 <bwd1__TT_veneer_T32_LDR>
// OUT:      210000c: 03 00 10 01 .word 0x01100003
// OUT:      2100014: 07 00 10 01 .word 0x01100007
// OUT:      3000000: 00 f4 00 80 beq.w 0x2f00004
// OUT-NEXT: 3000004: 7f f0 ff af bne.w 0x3100006

#--- code.s
        .syntax unified
        .thumb
        .macro func name
        .globl \name
        .type \name, %function
\name:  bx lr
        nop
        .endm

        .section .text.fwd, "ax", %progbits
        .p2align 1
        .globl Reset_Handler
        .type Reset_Handler, %function
Reset_Handler:
        bl fwd0
        b.w fwd1

        .section .text.bwd, "ax", %progbits
        .p2align 1
        .globl back
        .type back, %function
back:   bl bwd0
        b.w bwd1

        .section .text.cond, "ax", %progbits
        .p2align 1
        .globl cond
        .type cond, %function
cond:   beq.w cfwd
        bne.w cbwd

        .section .text.addend, "ax", %progbits
        .p2align 1
        .globl addend
        .type addend, %function
addend: bl fwd1+8
        bl fwd0-8

        // Targets four bytes apart, like their callers.
        .section .text.fwdt, "ax", %progbits
        .p2align 1
        func fwd0
        func fwd1
        .section .text.bwdt, "ax", %progbits
        .p2align 1
        func bwd0
        func bwd1
        .section .text.cfwdt, "ax", %progbits
        .p2align 1
        func cfwd
        .section .text.cbwdt, "ax", %progbits
        .p2align 1
        func cbwd

#--- in.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
keep { section .text.bwd, section .text.cond, section .text.addend };
place at address 0x01000000 { section .text.fwd };
place at address 0x02000002 { section .text.fwdt };
place at address 0x02100000 { section .text.bwd };
place at address 0x01100004 { section .text.bwdt };
place at address 0x03000000 { section .text.cond };
place at address 0x03100002 { section .text.cfwdt };
place at address 0x02f00008 { section .text.cbwdt };
place at address 0x01f00000 { section .text.addend };

#--- out.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
keep { section .text.bwd, section .text.cond, section .text.addend };
place at address 0x01000000 { section .text.fwd };
place at address 0x02000004 { section .text.fwdt };
place at address 0x02100000 { section .text.bwd };
place at address 0x01100002 { section .text.bwdt };
place at address 0x03000000 { section .text.cond };
place at address 0x03100004 { section .text.cfwdt };
place at address 0x02f00006 { section .text.cbwdt };
place at address 0x00f00000 { section .text.addend };
