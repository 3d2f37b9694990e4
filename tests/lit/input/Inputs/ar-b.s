// Library member with two names: bfunc and bdata.
        .syntax unified
        .thumb
        .section .text.bfunc,"ax",%progbits
        .globl  bfunc
        .type   bfunc,%function
bfunc:  bx      lr
        .section .data.bdata,"aw",%progbits
        .globl  bdata
        .type   bdata,%object
bdata:  .word   7
