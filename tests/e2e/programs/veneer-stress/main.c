/* The generated stress program (veneer_stress.py writes stress.s and its
   script): main calls stress_run in the far block, whose functions call
   one another across a 16 MiB gap and back into stress_base here. The
   generator computed the sum that all of them together return. */
#include "semihost.h"

uint32_t stress_run(void);
extern const uint32_t stress_expected;

uint32_t stress_base(void)
{
    return 1000;
}

int main(void)
{
    check("stress code beyond flash", (uint32_t)(uintptr_t)stress_run >> 24, 0x20);
    check("sum of all calls", stress_run(), stress_expected);
    return check_result();
}
