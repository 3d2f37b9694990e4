// weak_user refers to malloc weakly.
        .syntax unified
        .thumb
        .weak   malloc
        .section .text.weak_user,"ax",%progbits
        .globl  weak_user
        .type   weak_user,%function
weak_user:
        b       malloc
