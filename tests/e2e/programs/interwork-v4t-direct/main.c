/* Reaches the Thumb function through a pointer, as ARMv4T allows; the
   Thumb function's own direct call back into Arm code is what the link
   must refuse. */
#include "semihost.h"

int thumb_entry(int x);

int arm_helper(int x)
{
    return x * 2;
}

int main(void)
{
    int (*volatile entry)(int) = thumb_entry;
    check("thumb entry", (unsigned)entry(20), 41);
    return check_result();
}
