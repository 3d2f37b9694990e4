/* Arithmetic that needs the compiler's support library: 64-bit division
   everywhere, 32-bit division on cores without a divide instruction. */
#include "support.h"

char *format_u64(uint64_t value, char *text)
{
    char *p = text + 20;
    *p = 0;
    do {
        *--p = (char)('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return p;
}

int32_t divide_round(int32_t numerator, int32_t denominator)
{
    int32_t quotient = numerator / denominator;
    int32_t remainder = numerator % denominator;
    if (2 * (remainder < 0 ? -remainder : remainder) >= (denominator < 0 ? -denominator : denominator))
        quotient += (numerator < 0) == (denominator < 0) ? 1 : -1;
    return quotient;
}
