/* The two library functions the compiler may call on its own, for block
   copies and clears, even in a freestanding program. The loops go through
   volatile pointers so that the compiler does not turn them back into
   calls to themselves. */
#include <stddef.h>
#include <stdint.h>

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
