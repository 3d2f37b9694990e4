/* The BX stub of interwork.h, for Thumb code on ARMv4T only (in the Arm
   variant too, for exit.c, which is Thumb code everywhere): the caller's
   BL has set LR to its return address with the Thumb bit, BX r1 enters the
   target in its own state, and the target returns through LR. */
#if defined(__thumb__) && __ARM_ARCH < 5
    .syntax unified
    .thumb
    .section .text.__TANREK_call_via_r1, "ax", %progbits
    .p2align 1
    .global __TANREK_call_via_r1
    .thumb_func
    .type   __TANREK_call_via_r1, %function
__TANREK_call_via_r1:
    bx      r1
    .size   __TANREK_call_via_r1, . - __TANREK_call_via_r1
#endif
