/* The function the script names in "initialize by calling": it fills a
   table of scaled squares in RAM. The scale is initialized data, so the
   table is right only when the start-up code has copied RAM before it
   calls the function; the count of its runs is zero-initialized data,
   cleared before the call. */
#include "data.h"

uint32_t squares[SQUARES] __attribute__((section(".bss.squares")));
uint32_t square_scale = 3;
uint32_t hook_runs;

void build_squares(void)
{
    for (uint32_t i = 0; i < SQUARES; ++i)
        squares[i] = i * i * square_scale;
    ++hook_runs;
}
