/* Start-up for the cores that start in Arm state at the ELF entry
   (ARMv4T, ARMv5TE, ARMv7-A): __TANREK_start sets the stack pointer to the
   end of the CSTACK block, walks the initialization table, calls the
   preinit and init arrays and main, and ends with __TANREK_finish.

   Every call goes through a register with MOV LR, PC; BX, which ARMv4T
   has (it has no BLX): the callees may be Arm or Thumb code. The exception
   vectors are not here; a board provides them and branches here on reset
   (or QEMU starts here, at the ELF entry). */
    .syntax unified
    .arm

    .section .text.__TANREK_start, "ax", %progbits
    .p2align 2
    .global __TANREK_start
    .type   __TANREK_start, %function
__TANREK_start:
    ldr     sp, =__CSTACK_end__
    ldr     r3, =__TANREK_init
    mov     lr, pc
    bx      r3
    ldr     r4, =__preinit_array_start
    ldr     r5, =__preinit_array_end
    bl      run_array
    ldr     r4, =__init_array_start
    ldr     r5, =__init_array_end
    bl      run_array
    ldr     r3, =main
    mov     lr, pc
    bx      r3
    ldr     r3, =__TANREK_finish
    bx      r3

/* Calls the functions from r4 up to r5. The constructors keep r4-r6, as
   every function must. */
run_array:
    mov     r6, lr
1:  cmp     r4, r5
    bxhs    r6
    ldr     r3, [r4], #4
    mov     lr, pc
    bx      r3
    b       1b
    .ltorg
    .size   __TANREK_start, . - __TANREK_start

/* tanrek-ld's default entry is Reset_Handler: the same code under that
   name, weak, so that a board's own reset code can take the name and
   branch to __TANREK_start when it is done. */
    .weak   Reset_Handler
    .type   Reset_Handler, %function
    .set    Reset_Handler, __TANREK_start
