/* Fill: destination; size; fill byte in the low 8 bits of the third word.
   No table entry uses it; it serves programs that fill memory themselves
   in the table's calling convention. */
#include "routine.h"

const uint32_t *__TANREK_init_fill(const uint32_t *params)
{
    uint8_t *dst = TANREK_PARAM_POINTER(params, 0);
    uint32_t size = params[1];
    uint8_t value = (uint8_t)params[2];
    while (size--)
        dst[size] = value;
    return __TANREK_init_continue(params + 3);
}
