/* Conditional calls and tail calls, which the compiler does not make
   between functions: BL<c> and B<c> from Arm code into Thumb code and
   into far Arm code, and from Thumb code a conditional tail call into far
   Arm code (an IT block around a wide branch on Thumb-2; a branch around
   a BL on Thumb-1). */
    .syntax unified

    .macro function name, state
    .\state
    .section .text.\name, "ax", %progbits
    .p2align 2
    .global \name
    .type \name, %function
    .ifc \state, thumb
    .thumb_func
    .endif
\name:
    .endm

/* uint32_t arm_maybe_thumb(uint32_t x): thumb_mix(x, x) if x is odd, else x. */
    function arm_maybe_thumb, arm
    push {r4, lr}
    mov r1, r0
    tst r0, #1
    blne thumb_mix
    pop {r4, lr}
    bx lr
    .size arm_maybe_thumb, . - arm_maybe_thumb

/* uint32_t arm_maybe_far_thumb(uint32_t x): far_thumb_inc(x) if x >= 10, else x. */
    function arm_maybe_far_thumb, arm
    push {r4, lr}
    cmp r0, #10
    blhs far_thumb_inc
    pop {r4, lr}
    bx lr
    .size arm_maybe_far_thumb, . - arm_maybe_far_thumb

/* uint32_t arm_maybe_tail_thumb(uint32_t x): thumb_tail_arm(x) if x > 100, else x. */
    function arm_maybe_tail_thumb, arm
    cmp r0, #100
    bhi thumb_tail_arm
    bx lr
    .size arm_maybe_tail_thumb, . - arm_maybe_tail_thumb

/* uint32_t arm_maybe_tail_far_arm(uint32_t x): far_arm_triple(x) if x != 0, else 77. */
    function arm_maybe_tail_far_arm, arm
    cmp r0, #0
    bne far_arm_triple
    mov r0, #77
    bx lr
    .size arm_maybe_tail_far_arm, . - arm_maybe_tail_far_arm

/* uint32_t thumb_maybe_tail_far_arm(uint32_t x): far_arm_triple(x) if x != 0, else 77. */
    function thumb_maybe_tail_far_arm, thumb
#if __ARM_ARCH >= 7
    cmp r0, #0
    it ne
    bne.w far_arm_triple
    movs r0, #77
    bx lr
#else
    cmp r0, #0
    beq 1f
    push {r4, lr}
    bl far_arm_triple
    pop {r4}
    pop {r1}
    bx r1
1:  movs r0, #77
    bx lr
#endif
    .size thumb_maybe_tail_far_arm, . - thumb_maybe_tail_far_arm
