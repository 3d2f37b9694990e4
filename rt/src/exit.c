/* The end of a run. A program that links newlib's exit gets it (atexit
   functions, stdio flushing, then _exit); otherwise the __TANREK_exit hook
   ends the run. Both exit and _exit are weak references: a call to a weak
   function that nobody defines becomes a no-operation, and the next line
   runs. */
#include "tanrek/rt.h"

extern void exit(int status) __attribute__((weak));
extern void _exit(int status) __attribute__((weak));

void __TANREK_finish(int status)
{
    exit(status);
    __TANREK_exit(status);
}

__attribute__((weak)) void __TANREK_exit(int status)
{
    _exit(status);
    for (;;) {
    }
}
