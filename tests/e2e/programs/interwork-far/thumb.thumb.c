/* Thumb code near the Arm code: calls into Arm code near and far, and
   into far Thumb code. On Thumb-1 a call is always a BL (the compiler
   makes no tail calls there); on Thumb-2 a tail call is a wide branch,
   which cannot change state by itself. */
#include "interwork-far.h"

uint32_t thumb_mix(uint32_t a, uint32_t b)
{
    return a * 3 + b;
}

uint32_t thumb_calls(uint32_t x)
{
    return arm_square(x) + arm_half(x) + far_arm_triple(x) * 2 + far_thumb_inc(x) * 5;
}

uint32_t thumb_tail_arm(uint32_t x)
{
    return arm_square(x + 1);
}

uint32_t thumb_tail_far_thumb(uint32_t x)
{
    return far_thumb_inc(x * 4);
}
