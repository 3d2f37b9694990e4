// The program: calls afunc and long_fn and uses bdata, all from the library.
        .syntax unified
        .thumb
        .section .text.Reset_Handler,"ax",%progbits
        .globl  Reset_Handler
        .type   Reset_Handler,%function
Reset_Handler:
        bl      afunc
        bl      long_fn
        ldr     r0, 1f
        b       .
        .balign 4
1:      .word   bdata
