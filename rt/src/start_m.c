/* Cortex-M start-up. The core loads the stack pointer and the reset
   address from the vector table, which the program provides (boards
   differ); Reset_Handler is weak, so that a board can bring its own and
   still call the pieces: __TANREK_init, the constructor arrays, main and
   __TANREK_finish.

   The constructor bounds are strong references: the linker defines block
   symbols only for names that are referenced and undefined, which a weak
   reference never is. A script therefore defines blocks named
   "preinit_array" and "init_array", empty ones if need be; the names are
   newlib's, so __libc_init_array finds the same arrays. */
#include "tanrek/rt.h"

int main(void);

static void tanrek_run_array(const tanrek_constructor *constructor, const tanrek_constructor *end)
{
    for (; constructor < end; ++constructor)
        (*constructor)();
}

__attribute__((weak)) void Reset_Handler(void)
{
    __TANREK_init();
    tanrek_run_array(__preinit_array_start, __preinit_array_end);
    tanrek_run_array(__init_array_start, __init_array_end);
    __TANREK_finish(main());
}
