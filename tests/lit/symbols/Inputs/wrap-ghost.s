// ghost_user calls ghost, which nothing defines.
        .syntax unified
        .thumb
        .section .text.ghost_user,"ax",%progbits
        .globl  ghost_user
        .type   ghost_user,%function
ghost_user:
        b       ghost
