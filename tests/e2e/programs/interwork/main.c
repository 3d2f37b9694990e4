/* The Arm half of the interworking program, and its checks. Calls into
   Thumb code go through pointers, and directly: BL turned into BLX by the
   linker in both directions on cores that have BLX, through veneers on
   ARMv4T. */
#include "interwork.h"
#include "semihost.h"

uint32_t arm_square(uint32_t x)
{
    return x * x;
}

uint32_t arm_negate(uint32_t x)
{
    return 0u - x;
}

const Unary arm_unary[2] = {arm_square, arm_negate};

int main(void)
{
    check("thumb address has bit 0", (uint32_t)(uintptr_t)thumb_binary[0] & 1, 1);
    check("arm address has no bit 0", (uint32_t)(uintptr_t)arm_unary[0] & 1, 0);
    check("arm to thumb by pointer", thumb_binary[0](7, 4), 25);
    check("thumb switch by pointer", thumb_unary[0](3) + thumb_unary[0](5) + thumb_unary[0](6), 384 + 16 + 61);
    check("thumb to arm by table", thumb_unary[1](9), 81 - 9);
    check("arm to thumb direct", thumb_mix(100, 1), 301);
    check("thumb to arm by pointer", thumb_apply(arm_square, 12), 145);
    check("thumb to arm direct", thumb_calls_arm(6), 42);
    check("thumb switch direct", thumb_classify(7), 7 ^ 0x5a);
    return check_result();
}
