/* Start-up for the cores that start in Arm state at the ELF entry (the
   Cortex-A9 and the classic ARM926 and ARM925T). The exception vectors
   come first, kept and placed at the start of the code region; an
   exception that should never happen ends the run with 120 plus its
   vector number. Reset_Handler sets the stack, clears the zero-initialized
   block, calls the constructors and then main, all calls through BX, so
   that any of them may be Thumb code even on a core without BLX. */
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
    /* Exceptions vector to this image, wherever it was loaded. */
    ldr     r0, =vectors
    mcr     p15, 0, r0, c12, c0, 0
#endif
    ldr     sp, =__CSTACK_end__
    ldr     r0, =__bss_start__
    ldr     r1, =__bss_end__
    mov     r2, #0
1:  cmp     r0, r1
    strbcc  r2, [r0], #1
    bcc     1b
    ldr     r4, =__INIT_ARRAY_start__
    ldr     r5, =__INIT_ARRAY_end__
2:  cmp     r4, r5
    bhs     3f
    ldr     r3, [r4], #4
    mov     lr, pc
    bx      r3
    b       2b
3:  ldr     r3, =main
    mov     lr, pc
    bx      r3
    ldr     r3, =semi_exit
    bx      r3
    .size   Reset_Handler, . - Reset_Handler

    .section .bss.exit_block, "aw", %nobits
    .p2align 2
exit_block:
    .space  8
