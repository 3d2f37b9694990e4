/* The walker of the initialization table.

   Each entry starts with a code address W. The walker clears
   __TANREK_init_next and calls W with the address of the words after it.
   A routine (zero, copy, lzss, pack, zpak, fill) consumes its parameter
   words, stores the pointer past them in __TANREK_init_next and returns
   it; a plain "initialize by calling" function leaves __TANREK_init_next
   alone (passing it an argument it does not expect is harmless), and the
   walk goes on at the next word. Comparing W with the routines' addresses
   would be simpler, but any reference to a routine links it, and the
   linker links only the routines its table uses.

   What is subtle: W may be Arm or Thumb code, so the calls go through a
   register in the way that works on every core (interwork.h). */
#include "interwork.h"
#include "tanrek/rt.h"

const uint32_t *__TANREK_init_next;

const uint32_t *__TANREK_init_continue(const uint32_t *next)
{
    __TANREK_init_next = next;
    return next;
}


void __TANREK_init(void)
{
    const uint32_t *words = __TANREK_init_table__;
    for (;;) {
        uint32_t code = *words++;
        if (code == 0 || code == (uintptr_t)__TANREK_init_done)
            return;
        __TANREK_init_next = 0;
        __TANREK_call_via_r1((uintptr_t)words, code);
        /* Only a pointer just past this entry's own parameters counts: a
           called function may itself use a routine (fill, say) on a
           parameter block of its own. */
        if ((uintptr_t)__TANREK_init_next - (uintptr_t)words - 4 <= 8)
            words = __TANREK_init_next;
    }
}

/* The end marker costs nothing: another name for the walker's address. */
__asm__(".global __TANREK_init_done\n"
        ".set __TANREK_init_done, __TANREK_init\n");
