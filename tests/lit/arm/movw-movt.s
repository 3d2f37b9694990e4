// MOVW/MOVT in Arm (R_ARM_MOVW_ABS_NC, R_ARM_MOVT_ABS) and Thumb
// (R_ARM_THM_MOVW_ABS_NC, R_ARM_THM_MOVT_ABS). The in-place addend is the
// 16-bit field read as a signed value, so sym-4 must borrow from the upper
// half and the ends of the field (+0x7fff, -0x8000) must carry and borrow.
// The address of a Thumb function carries its Thumb bit.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi moves.s -o arm.o
// RUN: llvm-mc -filetype=obj -triple=thumbv7a-none-eabi --defsym THUMB=1 moves.s -o thumb.o
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi data.s -o data.o
// RUN: tanrek-ld -q --entry=Reset_Handler arm.o thumb.o data.o -Tlink.icf --cpu=cortex-a9 -o out.elf > out.out 2>&1; echo "status $?" >> out.out
// RUN: FileCheck --check-prefix=OUT --match-full-lines --strict-whitespace %s < out.out
// RUN: llvm-objdump -d --no-show-raw-insn --triple=armv7a --print-imm-hex --start-address=0x1000 --stop-address=0x1028 out.elf | FileCheck --check-prefix=ARM %s
// RUN: llvm-objdump -d --no-show-raw-insn --triple=thumbv7a --print-imm-hex --start-address=0x15000 --stop-address=0x15020 out.elf | FileCheck --check-prefix=THUMB %s

// OUT-NOT:{{.}}
// OUT:status 0

// ARM:      1000: movw r0, #0xfffc
// ARM-NEXT: 1004: movt r0, #0x1
// ARM-NEXT: 1008: movw r1, #0x7fff
// ARM-NEXT: 100c: movt r1, #0x2
// ARM-NEXT: 1010: movw r2, #0x8000
// ARM-NEXT: 1014: movt r2, #0x1
// ARM-NEXT: 1018: movw r3, #0x8000
// ARM-NEXT: 101c: movt r3, #0x1234
// ARM-NEXT: 1020: movw r4, #0x5001
// ARM-NEXT: 1024: movt r4, #0x1

// THUMB:      15000: movw r0, #0xfffc
// THUMB-NEXT: 15004: movt r0, #0x1
// THUMB-NEXT: 15008: movw r1, #0x7fff
// THUMB-NEXT: 1500c: movt r1, #0x2
// THUMB-NEXT: 15010: movw r2, #0x8000
// THUMB-NEXT: 15014: movt r2, #0x1
// THUMB-NEXT: 15018: movw r3, #0x8000
// THUMB-NEXT: 1501c: movt r3, #0x1234

#--- moves.s
// One sequence for both instruction sets; the Arm copy also takes the
// address of the Thumb one.
        .syntax unified
        .ifdef THUMB
        .thumb
        .section .text.thumb, "ax", %progbits
        .p2align 1
        .globl thumb_moves
        .type thumb_moves, %function
thumb_moves:
        .else
        .arm
        .section .text.arm, "ax", %progbits
        .p2align 2
        .globl Reset_Handler
        .type Reset_Handler, %function
Reset_Handler:
        .endif
        movw r0, #:lower16:sym-4
        movt r0, #:upper16:sym-4
        movw r1, #:lower16:sym+0x7fff
        movt r1, #:upper16:sym+0x7fff
        movw r2, #:lower16:sym-0x8000
        movt r2, #:upper16:sym-0x8000
        movw r3, #:lower16:hi
        movt r3, #:upper16:hi
        .ifndef THUMB
        movw r4, #:lower16:thumb_moves
        movt r4, #:upper16:thumb_moves
        .endif

#--- data.s
        .section .rodata.sym, "a", %progbits
        .globl sym
sym:    .word 0
        .section .rodata.hi, "a", %progbits
        .globl hi
hi:     .word 0

#--- link.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
place at address 0x1000 { section .text.arm };
place at address 0x15000 { section .text.thumb };
place at address 0x20000 { section .rodata.sym };
place at address 0x12348000 { section .rodata.hi };
