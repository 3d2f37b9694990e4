/* Calls through a register, which reach Arm and Thumb code alike on every
   core: BLX where the core has it, MOV LR, PC; BX in Arm code on ARMv4T,
   and in Thumb code on ARMv4T a BL to a two-byte BX stub (call_via.S),
   where GCC would otherwise call libgcc's __call_via_rN. Table entries
   are addresses, so they are called this way anyway; the hooks a program
   may write in either state (main, constructors, __TANREK_exit) are too,
   since a direct BL reaches code of the other state on ARMv4T only
   through a linker veneer, and the library needs none this way.

   The empty asm hides where the address came from, so that GCC cannot
   turn a call through a known function's address back into a BL. */
#ifndef TANREK_RT_INTERWORK_H
#define TANREK_RT_INTERWORK_H

#include <stdint.h>

#if defined(__thumb__) && __ARM_ARCH < 5
uintptr_t __TANREK_call_via_r1(uintptr_t argument, uintptr_t code);
#else
static inline uintptr_t __TANREK_call_via_r1(uintptr_t argument, uintptr_t code)
{
    __asm__("" : "+r"(code));
    return ((uintptr_t (*)(uintptr_t))code)(argument);
}
#endif

#endif
