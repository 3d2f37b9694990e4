// Functions called by the veneer tests: Arm and Thumb, each four bytes
// apart, placed by targets.icf.
        .syntax unified
        .macro func name, pad=
        .globl \name
        .type \name, %function
\name:  bx lr
        \pad
        .endm
        .arm
        .section .text.afar, "ax", %progbits
        .p2align 2
        func afar
        func afar2
        func afar3
        .section .text.anear, "ax", %progbits
        .p2align 2
        func anear
        .thumb
        .section .text.tfar, "ax", %progbits
        .p2align 1
        func tfar, nop
        func tfar2, nop
        // Thumb code whose label is not typed as a function: its address
        // lacks the Thumb bit.
        .globl tlabel
tlabel: bx lr
        .section .text.tnear, "ax", %progbits
        .p2align 1
        func tnear, nop
        func tnear2, nop
