/* The Cortex-M vector table of the test: the stack from the CSTACK
   block, the library's Reset_Handler, and a fault handler that ends the
   run with status 125. */
#include "semihost.h"
#include "tanrek/rt.h"

static void fault(void)
{
    semi_write("fault\n");
    semi_exit(125);
}

__attribute__((section(".vectors"), used)) static void (*const vectors[16])(void) = {
    (void (*)(void))__CSTACK_end__, Reset_Handler, fault, fault, fault, fault, fault, fault,
    fault, fault, fault, fault, fault, fault, fault, fault,
};
