/* The end of a run. A program that links newlib's exit gets it (atexit
   functions, stdio flushing, then _exit); otherwise the __TANREK_exit hook
   ends the run. Both exit and _exit are weak references, called with a
   Thumb BL: tanrek-ld turns a Thumb call to a weak function that nobody
   defines into a no-operation, and the next line runs.

   What is subtle: the linker accepts no other kind of reference to an
   undefined weak function (an Arm BL is an error), so this file is Thumb
   code in every variant (the Arm variants of ARMv4T and ARMv5TE build it
   with -mthumb). An exit or _exit in Arm code is reached through BLX, or
   on ARMv4T through a veneer that tanrek-ld adds to the BL. */
#include "interwork.h"
#include "tanrek/rt.h"

#ifndef __thumb__
#error "exit.c must be Thumb code: its weak calls rely on Thumb BL"
#endif

extern void exit(int status) __attribute__((weak));
extern void _exit(int status) __attribute__((weak));

void __TANREK_finish(int status)
{
    exit(status);
    /* The hook is the program's, in either state. */
    __TANREK_call_via_r1((uintptr_t)status, (uintptr_t)__TANREK_exit);
    for (;;) {
    }
}

__attribute__((weak)) void __TANREK_exit(int status)
{
    _exit(status);
    for (;;) {
    }
}
