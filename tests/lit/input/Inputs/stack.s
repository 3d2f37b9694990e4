// Two local functions with entries in .stack_sizes: the address of the
// function, then its stack use as an unsigned LEB128 number (20, and 300,
// which takes two bytes).
        .syntax unified
        .thumb
        .section .text.Reset_Handler,"ax",%progbits
        .globl  Reset_Handler
        .type   Reset_Handler,%function
Reset_Handler:
        bl      worker
        bl      idle
        b       .

        .section .text.worker,"ax",%progbits
        .type   worker,%function
worker: push    {r4-r7,lr}
        pop     {r4-r7,pc}

        .section .text.idle,"ax",%progbits
        .type   idle,%function
idle:   bx      lr

        .section .stack_sizes,"",%progbits
        .word   worker
        .uleb128 20
        .word   idle
        .uleb128 300
