/* ZPAK unpacking: destination; source; unpacked size (the stream has no
   end marker). */
#include "routine.h"
#include "unpack.h"

const uint32_t *__TANREK_init_zpak(const uint32_t *params)
{
    tanrek_unpack_zpak(TANREK_PARAM_POINTER(params, 0), TANREK_PARAM_POINTER(params, 1), params[2]);
    return __TANREK_init_continue(params + 3);
}
