/* Functions of the far interworking program, by state and by place: near
   ones in CODE with the rest of the program, far_* in the region FAR, too
   far for a direct branch from CODE in either state. */
#ifndef INTERWORK_FAR_H
#define INTERWORK_FAR_H

#include <stdint.h>

/* Arm state, near (main.c). */
uint32_t arm_square(uint32_t x);
uint32_t arm_calls(uint32_t x);
uint32_t arm_tail_thumb(uint32_t x);
uint32_t arm_tail_far_arm(uint32_t x);
uint32_t arm_tail_far_thumb(uint32_t x);
uint32_t arm_half(uint32_t x);

/* Conditional calls and tail calls (conditional.S). */
uint32_t arm_maybe_thumb(uint32_t x);
uint32_t arm_maybe_far_thumb(uint32_t x);
uint32_t arm_maybe_tail_thumb(uint32_t x);
uint32_t arm_maybe_tail_far_arm(uint32_t x);
uint32_t thumb_maybe_tail_far_arm(uint32_t x);

/* Thumb state, near (thumb.thumb.c). */
uint32_t thumb_mix(uint32_t a, uint32_t b);
uint32_t thumb_calls(uint32_t x);
uint32_t thumb_tail_arm(uint32_t x);
uint32_t thumb_tail_far_thumb(uint32_t x);

/* Arm state, far (far_arm.arm.c). */
uint32_t far_arm_triple(uint32_t x);
uint32_t far_arm_calls(uint32_t x);
uint32_t far_arm_tail_thumb(uint32_t x);

/* Thumb state, far (far_thumb.thumb.c). */
uint32_t far_thumb_inc(uint32_t x);
uint32_t far_thumb_calls(uint32_t x);
uint32_t far_thumb_tail_arm(uint32_t x);

#endif
