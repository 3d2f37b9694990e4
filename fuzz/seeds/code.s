@ Thumb code: global, weak and local functions, calls to undefined names,
@ a literal pool, and unwind entries for every function.
        .syntax unified
        .cpu cortex-m3
        .thumb

        .section .text.start,"ax",%progbits
        .global start
        .type   start, %function
        .thumb_func
start:
        .fnstart
        push    {r4, lr}
        .save   {r4, lr}
        bl      helper
        bl      external_function
        ldr     r0, =shared_counter
        ldr     r1, =local_table
        ldr     r0, [r0]
        pop     {r4, pc}
        .fnend
        .ltorg

        .section .text.helper,"ax",%progbits
        .type   helper, %function
        .thumb_func
helper:
        .fnstart
        b       weak_hook
        .cantunwind
        .fnend

        .section .text.weak_hook,"ax",%progbits
        .weak   weak_hook
        .type   weak_hook, %function
        .thumb_func
weak_hook:
        .fnstart
        bx      lr
        .fnend

        .weak   optional_function
        .section .text.optional,"ax",%progbits
        .global call_optional
        .type   call_optional, %function
        .thumb_func
call_optional:
        ldr     r0, =optional_function
        bx      r0
        .ltorg

        .section .rodata.local_table,"a",%progbits
        .align  2
local_table:
        .word   start
        .word   helper
        .word   external_object
