// A big-endian link: instructions and words are read and written in the
// image byte order, and a 32-bit Thumb instruction keeps its first
// halfword first. Arm and Thumb calls in both directions, a Thumb
// MOVW/MOVT pair, 16-bit Thumb fields and a data word with the Thumb bit.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=armebv7a-none-eabi arm.s -o arm.o
// RUN: llvm-mc -filetype=obj -triple=thumbebv7a-none-eabi thumb.s -o thumb.o
// RUN: tanrek-ld -q --entry=Reset_Handler --big-endian arm.o thumb.o -Tlink.icf --cpu=cortex-a9 -o be.elf > be.out 2>&1; echo "status $?" >> be.out
// RUN: FileCheck --check-prefix=OUT --match-full-lines --strict-whitespace %s < be.out
// RUN: llvm-objdump -s be.elf | FileCheck %s

// OUT-NOT:{{.}}
// OUT:status 0

// The section contents in file order: Arm BL to Arm and BLX (H set) to
// Thumb; Thumb BL to Thumb and BLX to Arm from the word-aligned place;
// MOVW #0x1104 and MOVT #0; a 16-bit B to tfn and LDR from the word at
// 0x2110; the word tfn + 1.
// CHECK: 1000 eb00003e fb00043d
// CHECK: 2000 f000f87f f7ffe87c f2411004 f2c00000
// CHECK-NEXT: 2010 e077493f
// CHECK: 3000 00002103

#--- arm.s
        .syntax unified
        .arm
        .section .text.arm, "ax", %progbits
        .p2align 2
        .globl Reset_Handler
        .type Reset_Handler, %function
Reset_Handler:
        bl afn
        bl tfn
        .section .text.afn, "ax", %progbits
        .p2align 2
        .globl afn
        .type afn, %function
afn:    bx lr

#--- thumb.s
        .syntax unified
        .thumb
        .section .text.thumb, "ax", %progbits
        .p2align 2
        .globl thumb_calls
        .type thumb_calls, %function
thumb_calls:
        bl tfn
        bl afn
        movw r0, #:lower16:afn+4
        movt r0, #:upper16:afn+4
        .reloc ., R_ARM_THM_JUMP11, tfn
        b.n .
        .globl bdata
        .reloc ., R_ARM_THM_PC8, bdata
        ldr r1, [pc, #1020]
        .section .text.tfn, "ax", %progbits
        .p2align 1
        .globl tfn
        .type tfn, %function
tfn:    bx lr
        .section .rodata.word, "a", %progbits
        .word tfn
        .section .rodata.bdata, "a", %progbits
bdata:  .word 0

#--- link.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
keep { section .text.thumb, section .rodata.word };
place at address 0x1000 { section .text.arm };
place at address 0x1100 { section .text.afn };
place at address 0x2000 { section .text.thumb };
place at address 0x2102 { section .text.tfn };
place at address 0x3000 { section .rodata.word };
place at address 0x2110 { section .rodata.bdata };
