// Library member: afunc, which calls bfunc.
        .syntax unified
        .thumb
        .section .text.afunc,"ax",%progbits
        .globl  afunc
        .type   afunc,%function
afunc:  b       bfunc
