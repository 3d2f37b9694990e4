/* LZSS unpacking: destination; source. The stream ends itself. */
#include "routine.h"
#include "unpack.h"

const uint32_t *__TANREK_init_lzss(const uint32_t *params)
{
    tanrek_unpack_lzss(TANREK_PARAM_POINTER(params, 0), TANREK_PARAM_POINTER(params, 1));
    return __TANREK_init_continue(params + 2);
}
