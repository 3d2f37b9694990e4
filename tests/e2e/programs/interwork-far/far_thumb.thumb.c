/* Thumb code placed far from the rest (the script's region FAR): calls
   back into near Thumb and Arm code, into the far Arm code next to it,
   and a tail call into Arm code. */
#include "interwork-far.h"

uint32_t far_thumb_inc(uint32_t x)
{
    return x + 1;
}

uint32_t far_thumb_calls(uint32_t x)
{
    return thumb_mix(x, 2) + arm_square(x) * 3 + far_arm_triple(x);
}

uint32_t far_thumb_tail_arm(uint32_t x)
{
    return arm_square(x ^ 6);
}
