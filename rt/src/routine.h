/* What every initialization routine shares: reading its parameter words
   and handing its result back to the walker. A routine ends with
   "return __TANREK_init_continue(params + n)", which stores the pointer
   past its parameters in __TANREK_init_next as well as returning it; an
   "initialize by calling" function does not, which is how the walker tells
   the two apart without referring to the routines. The store is shared (a
   tail call costs less than the store and its literal in every routine). */
#ifndef TANREK_RT_ROUTINE_H
#define TANREK_RT_ROUTINE_H

#include "tanrek/rt.h"

#define TANREK_PARAM_POINTER(params, i) ((uint8_t *)(uintptr_t)(params)[i])

#endif
