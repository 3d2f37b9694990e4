/* Code that runs from RAM: the script collects the sections .text.ram_*
   in the block RAMCODE, which the start-up code copies from flash. Flash
   and RAM are 0x20000000 apart, out of reach of a Thumb BL, so every call
   from here into flash goes through a veneer that the linker appends to
   the calling section (and copies to RAM with it). */
#include "ramcode.h"

/* A call into flash per element, and the loop around it in RAM. */
uint32_t ram_accumulate(const uint32_t *values, uint32_t count)
{
    uint32_t sum = 0;
    for (uint32_t i = 0; i < count; ++i)
        sum += flash_scale(values[i]) ^ i;
    return sum;
}

/* Called from flash by a tail call (Thumb-2) or a BL (Thumb-1). */
uint32_t ram_twice(uint32_t x)
{
    return x * 2 + 1;
}

/* A tail call into flash where the core has a wide branch. */
uint32_t ram_tail_to_flash(uint32_t a, uint32_t b)
{
    return flash_add(a * 5, b);
}

/* The division is a call to the compiler's support library (in flash) on
   cores without a divide instruction. */
uint32_t ram_average(const uint32_t *values, uint32_t count)
{
    return ram_accumulate(values, count) / count;
}
