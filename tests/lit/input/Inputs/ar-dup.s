// Two library members define dup; the test assembles this file twice.
        .syntax unified
        .thumb
        .section .text.dup,"ax",%progbits
        .globl  dup
        .type   dup,%function
dup:    bx      lr
