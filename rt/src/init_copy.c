/* Plain copy: destination; source; size. */
#include "routine.h"

const uint32_t *__TANREK_init_copy(const uint32_t *params)
{
    uint8_t *dst = TANREK_PARAM_POINTER(params, 0);
    const uint8_t *src = TANREK_PARAM_POINTER(params, 1);
    uint32_t size = params[2];
    while (size--)
        *dst++ = *src++;
    return tanrek_routine_done(params + 3);
}
