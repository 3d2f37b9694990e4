/* The end of a run. A program that links newlib's exit gets it (atexit
   functions, stdio flushing, then _exit); otherwise the __TANREK_exit hook
   ends the run. Both exit and _exit are weak references, called with a
   Thumb BL: tanrek-ld turns a Thumb call to a weak function that nobody
   defines into a no-operation, and the next line runs.

   What is subtle: the linker accepts no other kind of reference to an
   undefined weak function (an Arm BL is an error), so this file is Thumb
   code wherever the core can call between the states freely (the ARMv5TE
   Arm variant builds it with -mthumb). Arm code on ARMv4T cannot call
   Thumb code directly, and there the weak calls are left out: a program
   that wants exit defines __TANREK_exit and calls it. */
#include "interwork.h"
#include "tanrek/rt.h"

#ifdef __thumb__
extern void exit(int status) __attribute__((weak));
extern void _exit(int status) __attribute__((weak));
#endif

void __TANREK_finish(int status)
{
#ifdef __thumb__
    exit(status);
#endif
    /* The hook is the program's, in either state. */
    __TANREK_call_via_r1((uintptr_t)status, (uintptr_t)__TANREK_exit);
    for (;;) {
    }
}

__attribute__((weak)) void __TANREK_exit(int status)
{
#ifdef __thumb__
    _exit(status);
#else
    (void)status;
#endif
    for (;;) {
    }
}
