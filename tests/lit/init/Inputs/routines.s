// Stand-ins for the start-up routines that walk the initialization table:
// tiny Thumb functions, each in a section of its own so that only the ones
// the table refers to are reached. Assemble with --defsym DONE=1 to give
// the start-up code a short-circuit end of the table.
        .syntax unified
        .thumb

        .irp name,zero,copy,lzss,pack,zpak,fill
        .section .text.__TANREK_init_\name,"ax",%progbits
        .p2align 1
        .globl __TANREK_init_\name
        .type __TANREK_init_\name,%function
__TANREK_init_\name:
        mov r0, r1
        bx lr
        .size __TANREK_init_\name, . - __TANREK_init_\name
        .endr

        .ifdef DONE
        .section .text.__TANREK_init_done,"ax",%progbits
        .p2align 1
        .globl __TANREK_init_done
        .type __TANREK_init_done,%function
__TANREK_init_done:
        bx lr
        .size __TANREK_init_done, . - __TANREK_init_done
        .endif
