// The smallest useful input: a Thumb reset handler that spins. The branch
// goes to a local label, so the object carries no relocations.
        .syntax unified
        .thumb
        .section .text.Reset_Handler,"ax",%progbits
        .globl  Reset_Handler
        .type   Reset_Handler,%function
Reset_Handler:
1:      b       1b
