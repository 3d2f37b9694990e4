/* Cortex-M start-up. The core loads its stack pointer and reset address
   from the first two words of the vector table, which the script keeps and
   places at the start of flash (nothing refers to it). The reset handler
   clears the zero-initialized block and calls the constructors, both
   through bounds that the linker defines from the names of the blocks,
   and ends the run with main's result. A fault ends the
   run with a code of its own, so that a bad branch or a bad address shows
   up as a status instead of a hang. */
#include <stdint.h>

#include "semihost.h"

extern uint8_t __CSTACK_end__[];
extern uint8_t __bss_start__[];
extern uint8_t __bss_end__[];
typedef void (*Constructor)(void);
extern const Constructor __INIT_ARRAY_start__[];
extern const Constructor __INIT_ARRAY_end__[];
int main(void);

void Reset_Handler(void)
{
    /* Byte stores through a volatile pointer: the compiler must not turn
       the loop into a call to memset, which no library provides here. */
    for (volatile uint8_t *p = __bss_start__; p < __bss_end__; ++p)
        *p = 0;
    for (const Constructor *constructor = __INIT_ARRAY_start__; constructor < __INIT_ARRAY_end__; ++constructor)
        (*constructor)();
    semi_exit(main());
}

static void HardFault_Handler(void)
{
    semi_write("hard fault\n");
    semi_exit(125);
}

static void Default_Handler(void)
{
    semi_write("unexpected exception\n");
    semi_exit(126);
}

typedef void (*Vector)(void);

__attribute__((section(".vectors"), used))
const Vector vectors[16] = {
    (Vector)(uintptr_t)__CSTACK_end__,
    Reset_Handler,
    Default_Handler,   /* NMI */
    HardFault_Handler,
    HardFault_Handler, /* MemManage */
    HardFault_Handler, /* BusFault */
    HardFault_Handler, /* UsageFault */
    HardFault_Handler, /* SecureFault */
    0, 0, 0,
    Default_Handler,   /* SVCall */
    Default_Handler,   /* DebugMonitor */
    0,
    Default_Handler,   /* PendSV */
    Default_Handler,   /* SysTick */
};
