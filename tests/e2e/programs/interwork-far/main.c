/* The Arm half of the far interworking program, and its checks: direct
   calls in every direction between Arm and Thumb code, near and far (the
   far_* functions are in the region FAR). Which of them need a veneer
   depends on the core: the test lists the veneer symbols each core's
   image must have. */
#include "interwork-far.h"
#include "semihost.h"

/* How far the far functions are at least: beyond an Arm BL (32 MiB)
   unless the test places them nearer. */
#ifndef FAR_MIN
#define FAR_MIN 0x2000000
#endif

uint32_t arm_square(uint32_t x)
{
    return x * x;
}

uint32_t arm_calls(uint32_t x)
{
    return thumb_mix(x, 4) + far_arm_triple(x) * 7 + far_thumb_inc(x);
}

uint32_t arm_tail_thumb(uint32_t x)
{
    return thumb_mix(x, 9);
}

uint32_t arm_tail_far_arm(uint32_t x)
{
    return far_arm_triple(x + 2);
}

uint32_t arm_tail_far_thumb(uint32_t x)
{
    return far_thumb_inc(x << 1);
}

/* Called from near Thumb code only. */
uint32_t arm_half(uint32_t x)
{
    return x >> 1;
}

int main(void)
{
    check("far code is far", (uint32_t)((uintptr_t)far_arm_triple - (uintptr_t)arm_square) >= FAR_MIN, 1);
    check("arm to thumb, far arm, far thumb", arm_calls(5), 19 + 105 + 6);
    check("arm tail to thumb", arm_tail_thumb(4), 21);
    check("arm tail to far arm", arm_tail_far_arm(4), 18);
    check("arm tail to far thumb", arm_tail_far_thumb(4), 9);
    check("arm conditional call to thumb", arm_maybe_thumb(5) + arm_maybe_thumb(6), 20 + 6);
    check("arm conditional call to far thumb", arm_maybe_far_thumb(12) + arm_maybe_far_thumb(3), 13 + 3);
    check("arm conditional tail to thumb", arm_maybe_tail_thumb(200) + arm_maybe_tail_thumb(7), 201 * 201 + 7);
    check("arm conditional tail to far arm", arm_maybe_tail_far_arm(5) + arm_maybe_tail_far_arm(0), 15 + 77);
    check("thumb conditional tail to far arm", thumb_maybe_tail_far_arm(6) + thumb_maybe_tail_far_arm(0), 18 + 77);
    check("thumb to arm, far arm, far thumb", thumb_calls(6), 36 + 3 + 36 + 35);
    check("thumb tail to arm", thumb_tail_arm(9), 100);
    check("thumb tail to far thumb", thumb_tail_far_thumb(3), 13);
    check("far arm to arm, thumb, far thumb", far_arm_calls(10), 100 - 31 + 11);
    check("far arm tail to thumb", far_arm_tail_thumb(2), 13);
    check("far thumb to thumb, arm, far arm", far_thumb_calls(4), 14 + 48 + 12);
    check("far thumb tail to arm", far_thumb_tail_arm(3), 25);
    return check_result();
}
