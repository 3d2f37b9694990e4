/* The Thumb half of the interworking program. It calls Arm code through
   pointers (BX, or a call through the compiler's call-via helper on
   ARMv4T), directly (BLX, or a veneer on ARMv4T), and holds a table of
   Arm function addresses in its constants. */
#include "interwork.h"

uint32_t thumb_mix(uint32_t a, uint32_t b)
{
    return a * 3 + b;
}

uint32_t thumb_apply(Unary f, uint32_t x)
{
    return f(x) + 1;
}

/* Dense enough for a jump table: on Thumb-1 a call to the compiler's case
   helper, which is Thumb code in its support library. */
uint32_t thumb_classify(uint32_t x)
{
    switch (x) {
    case 0: return 11;
    case 1: return thumb_mix(x, 5);
    case 2: return 29;
    case 3: return x << 7;
    case 4: return 47;
    case 5: return thumb_mix(x, 1);
    case 6: return 61;
    case 7: return x ^ 0x5a;
    default: return 0;
    }
}

uint32_t thumb_through_table(uint32_t x)
{
    return arm_unary[0](x) + arm_unary[1](x);
}

uint32_t thumb_calls_arm(uint32_t x)
{
    return arm_square(x) - arm_negate(x);
}

const Binary thumb_binary[1] = {thumb_mix};
const Unary thumb_unary[2] = {thumb_classify, thumb_through_table};
