/* A direct call from Thumb code into Arm code on ARMv4T, which has no
   BLX: the linker gives the Thumb BL a veneer that switches state (the
   test checks that its symbol is in the image). main reaches the Thumb
   function through a pointer, and the Arm function returns with BX LR. */
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
