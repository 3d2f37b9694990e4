/* Calls between flash and RAM code, both ways: main (flash) calls RAM
   functions that call flash functions back, so each result depends on
   both directions working. */
#include "ramcode.h"
#include "semihost.h"

static const uint32_t values[5] = {3, 10, 200, 7, 4000};

uint32_t flash_scale(uint32_t x)
{
    return x * 3 + 1;
}

uint32_t flash_add(uint32_t a, uint32_t b)
{
    return a + b;
}

/* A tail call from flash into RAM (a wide branch on Thumb-2). */
__attribute__((noinline)) uint32_t flash_tail_to_ram(uint32_t x)
{
    return ram_twice(x + 4);
}

static uint32_t expected_accumulate(void)
{
    uint32_t sum = 0;
    for (uint32_t i = 0; i < 5; ++i)
        sum += (values[i] * 3 + 1) ^ i;
    return sum;
}

int main(void)
{
    check("ram code in RAM", (uint32_t)(uintptr_t)ram_accumulate >> 28, 2);
    check("flash code in flash", (uint32_t)(uintptr_t)flash_scale >> 28, 0);
    check("flash to ram to flash", ram_accumulate(values, 5), expected_accumulate());
    check("flash tail to ram", flash_tail_to_ram(20), 49);
    check("ram tail to flash", ram_tail_to_flash(9, 100), 145);
    check("ram to library", ram_average(values, 5), expected_accumulate() / 5);
    return check_result();
}
