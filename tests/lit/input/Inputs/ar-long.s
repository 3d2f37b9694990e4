// Library member stored under a name longer than 15 characters.
        .syntax unified
        .thumb
        .section .text.long_fn,"ax",%progbits
        .globl  long_fn
        .type   long_fn,%function
long_fn:
        bx      lr
