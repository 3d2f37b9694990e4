@ An archive member reached only through another member.
        .syntax unified
        .cpu cortex-m3
        .thumb
        .section .text.library_helper,"ax",%progbits
        .global library_helper
        .type   library_helper, %function
        .thumb_func
library_helper:
        ldr     r0, =external_object
        bx      lr
        .ltorg

        .section .text.weak_hook,"ax",%progbits
        .weak   weak_hook
        .type   weak_hook, %function
        .thumb_func
weak_hook:
        movs    r0, #1
        bx      lr
