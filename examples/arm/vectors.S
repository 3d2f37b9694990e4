/* Exception vectors for the cores that start in Arm state at the ELF
   entry (the Cortex-A9 and the classic ARM926 and ARM925T). The vectors
   come first, kept and placed at the start of the image; an exception
   that should never happen ends the run through semihosting with exit
   code 120 plus its vector number. Reset_Handler, the ELF entry, points
   the A9's vector base at this table (the image does not start at address
   0 there) and goes on at the run-time library's __TANREK_start, which
   sets the stack, walks the initialization table, calls the constructors
   and main, and ends the run through the program's __TANREK_exit. */
    .syntax unified
    .arm

    .section .vectors, "ax", %progbits
    .p2align 5
    .global vectors
vectors:
    b       Reset_Handler
    b       undefined_instruction
    b       software_interrupt
    b       prefetch_abort
    b       data_abort
    b       unused_vector
    b       irq
    b       fiq

undefined_instruction:
    mov     r2, #121
    b       exception_exit
software_interrupt:
    mov     r2, #122
    b       exception_exit
prefetch_abort:
    mov     r2, #123
    b       exception_exit
data_abort:
    mov     r2, #124
    b       exception_exit
unused_vector:
    mov     r2, #125
    b       exception_exit
irq:
    mov     r2, #126
    b       exception_exit
fiq:
    mov     r2, #127
exception_exit:
    /* The exception modes have no stack: the SYS_EXIT_EXTENDED parameter
       block is a zero-initialized variable instead. */
    ldr     r1, =exit_block
    ldr     r3, =0x20026
    str     r3, [r1]
    str     r2, [r1, #4]
    mov     r0, #0x20
    svc     0x123456
    b       .

    .section .text.Reset_Handler, "ax", %progbits
    .p2align 2
    .global Reset_Handler
    .type   Reset_Handler, %function
Reset_Handler:
#if __ARM_ARCH >= 7
    ldr     r0, =vectors
    mcr     p15, 0, r0, c12, c0, 0
#endif
    b       __TANREK_start
    .size   Reset_Handler, . - Reset_Handler

    .section .bss.exit_block, "aw", %nobits
    .p2align 2
exit_block:
    .space  8
