// An object with one of each kind of symbol the dumps show: a global
// function that calls an undefined function and loads the address of a
// global object, a local object in a NOBITS section, a common symbol and a
// weak function.
        .syntax unified
        .thumb
        .section .text.Reset_Handler,"ax",%progbits
        .globl  Reset_Handler
        .type   Reset_Handler,%function
Reset_Handler:
        bl      helper
        ldr     r0, 1f
        b       .
        .balign 4
1:      .word   counter
        .size   Reset_Handler, .-Reset_Handler

        .section .data.counter,"aw",%progbits
        .globl  counter
        .type   counter,%object
        .size   counter,4
counter:
        .word   0x12345678

        .section .bss.buffer,"aw",%nobits
        .type   buffer,%object
        .size   buffer,64
buffer: .space  64

        .comm   pool,12,8

        .section .text.hook,"ax",%progbits
        .weak   hook
        .type   hook,%function
hook:   bx      lr
        .size   hook, .-hook
