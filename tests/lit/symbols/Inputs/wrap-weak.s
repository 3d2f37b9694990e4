// weak_user calls malloc weakly: a call to an undefined weak function
// becomes a no-operation.
        .syntax unified
        .thumb
        .weak   malloc
        .section .text.weak_user,"ax",%progbits
        .globl  weak_user
        .type   weak_user,%function
weak_user:
        bl      malloc
