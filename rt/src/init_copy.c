/* Plain copy: destination; source; size. From the end down, which makes
   the shortest loop; the source (flash) and the destination (RAM) never
   overlap. */
#include "routine.h"

const uint32_t *__TANREK_init_copy(const uint32_t *params)
{
    uint8_t *dst = TANREK_PARAM_POINTER(params, 0);
    const uint8_t *src = TANREK_PARAM_POINTER(params, 1);
    uint32_t size = params[2];
    while (size--)
        dst[size] = src[size];
    return __TANREK_init_continue(params + 3);
}
