// Definitions for fs-main.s, with an initialization and a termination
// array whose entries refer to local functions. beta calls alpha.
        .syntax unified
        .thumb
        .section .text.beta,"ax",%progbits
        .globl  beta
        .type   beta,%function
beta:   b       alpha

        .section .text.zeta,"ax",%progbits
        .globl  zeta
        .type   zeta,%function
zeta:   bx      lr

        .section .text.alpha,"ax",%progbits
        .globl  alpha
        .type   alpha,%function
alpha:  bx      lr

        .section .data.wdef,"aw",%progbits
        .globl  wdef
        .type   wdef,%object
wdef:   .word   3

        .section .text.Zed,"ax",%progbits
        .globl  Zed
        .type   Zed,%function
Zed:    bx      lr

        .section .text.ctor,"ax",%progbits
        .type   ctor,%function
ctor:   bx      lr

        .section .text.dtor,"ax",%progbits
        .type   dtor,%function
dtor:   bx      lr

        .section .init_array,"aw",%init_array
        .word   ctor
        .section .fini_array,"aw",%fini_array
        .word   dtor
