/* What a program without a C library needs: the two library functions
   the compiler may call on its own, for block copies and clears, even in
   a freestanding program, and the end of the run. The loops go through
   volatile pointers so that the compiler does not turn them back into
   calls to themselves. newlib.c stands in for this file in programs that
   link newlib. */
#include <stddef.h>
#include <stdint.h>

#include "semihost.h"

/* The run-time library ends the run here when main returns: main's
   result becomes QEMU's exit status. */
void __TANREK_exit(int code)
{
    semi_exit(code);
}

void *memcpy(void *destination, const void *source, size_t size)
{
    volatile uint8_t *d = destination;
    const uint8_t *s = source;
    while (size--)
        *d++ = *s++;
    return destination;
}

void *memset(void *destination, int value, size_t size)
{
    volatile uint8_t *d = destination;
    while (size--)
        *d++ = (uint8_t)value;
    return destination;
}
