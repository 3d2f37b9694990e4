/* Zero initialization: destination; size. Byte stores, so that neither
   the destination nor the size needs any alignment; from the end down,
   which makes the shortest loop (one counter, no pointer updates). */
#include "routine.h"

const uint32_t *__TANREK_init_zero(const uint32_t *params)
{
    uint8_t *dst = TANREK_PARAM_POINTER(params, 0);
    uint32_t size = params[1];
    while (size--)
        dst[size] = 0;
    return __TANREK_init_continue(params + 2);
}
