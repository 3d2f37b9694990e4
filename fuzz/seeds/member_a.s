@ An archive member that defines a name another member needs.
        .syntax unified
        .cpu cortex-m3
        .thumb
        .section .text.external_function,"ax",%progbits
        .global external_function
        .type   external_function, %function
        .thumb_func
external_function:
        b       library_helper

        .data
        .global external_object
        .align  2
external_object:
        .word   external_function
