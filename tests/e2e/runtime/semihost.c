/* The test programs' semihosting layer: the examples' output and exit,
   built into this same object so that a test program (and the run-time
   library's own tests) link this one file, and hexadecimal numbers and
   checks on top of it. */
#include "semihost.h"

#include "../../../examples/common/semihosting.c"

void semi_hex(uint32_t value)
{
    char text[11];
    text[0] = '0';
    text[1] = 'x';
    for (int i = 0; i < 8; ++i)
        text[2 + i] = "0123456789abcdef"[(value >> (28 - 4 * i)) & 0xF];
    text[10] = 0;
    semi_write(text);
}

static int checks_done;
static int first_failure;

void check(const char *name, uint32_t got, uint32_t want)
{
    ++checks_done;
    if (got == want) {
        semi_write("ok ");
        semi_write(name);
        semi_write("\n");
        return;
    }
    if (first_failure == 0)
        first_failure = checks_done;
    semi_write("FAIL ");
    semi_write(name);
    semi_write(": got ");
    semi_hex(got);
    semi_write(", want ");
    semi_hex(want);
    semi_write("\n");
}

int check_result(void)
{
    return first_failure;
}
