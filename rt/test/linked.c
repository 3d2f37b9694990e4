/* The program of the run-time library's test with a table that tanrek-ld
   writes: data to copy, data to zero, a function called from the table and
   a constructor, in the opposite state to the library's code, on ARMv4T,
   where no BL reaches the other state. main's status leaves through the
   program's own __TANREK_exit hook, which the library must call through a
   register. */
#include <stdint.h>

#include "semihost.h"

uint32_t copied = 0xC0FFEE11u;
uint32_t zeroed[4] = {0};
static uint32_t called, constructed;

void board_init(void)
{
    called = copied;
}

__attribute__((constructor)) static void constructor(void)
{
    constructed = called + 1;
}

int main(void)
{
    check("copied", copied, 0xC0FFEE11u);
    check("zeroed", zeroed[0] | zeroed[1] | zeroed[2] | zeroed[3], 0);
    check("called after copying", called, 0xC0FFEE11u);
    check("constructor after the call", constructed, 0xC0FFEE12u);
    if (check_result() == 0)
        semi_write("rt test passed\n");
    return check_result();
}

void __TANREK_exit(int status)
{
    semi_exit(status);
}
