/* Arm code placed far from the rest (the script's region FAR): calls back
   into near Arm and Thumb code, and a tail call into Thumb code. */
#include "interwork-far.h"

uint32_t far_arm_triple(uint32_t x)
{
    return x * 3;
}

uint32_t far_arm_calls(uint32_t x)
{
    return arm_square(x) - thumb_mix(x, 1) + far_thumb_inc(x);
}

uint32_t far_arm_tail_thumb(uint32_t x)
{
    return thumb_mix(x, 7);
}
