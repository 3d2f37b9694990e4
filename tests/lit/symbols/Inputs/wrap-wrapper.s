// The wrapper of malloc, which calls the real one.
        .syntax unified
        .thumb
        .section .text.__wrap_malloc,"ax",%progbits
        .globl  __wrap_malloc
        .type   __wrap_malloc,%function
__wrap_malloc:
        b       __real_malloc
