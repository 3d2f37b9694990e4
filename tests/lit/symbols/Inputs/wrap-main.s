// Calls malloc, free and weak_user.
        .syntax unified
        .thumb
        .section .text.Reset_Handler,"ax",%progbits
        .globl  Reset_Handler
        .type   Reset_Handler,%function
Reset_Handler:
        bl      malloc
        bl      free
        bl      weak_user
        b       .
