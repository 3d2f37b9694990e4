// Library member that nothing refers to.
        .syntax unified
        .thumb
        .section .text.cfunc,"ax",%progbits
        .globl  cfunc
        .type   cfunc,%function
cfunc:  bx      lr
