/* What every initialization routine shares: reading its parameter words
   and handing its result back to the walker. A routine stores the pointer
   past its parameters in __TANREK_init_next as well as returning it; an
   "initialize by calling" function does not, which is how the walker tells
   the two apart without referring to the routines. */
#ifndef TANREK_RT_ROUTINE_H
#define TANREK_RT_ROUTINE_H

#include "tanrek/rt.h"

#define TANREK_PARAM_POINTER(params, i) ((uint8_t *)(uintptr_t)(params)[i])

static inline const uint32_t *tanrek_routine_done(const uint32_t *next)
{
    __TANREK_init_next = next;
    return next;
}

#endif
