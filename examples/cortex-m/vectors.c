/* The Cortex-M vector table, the same on every Cortex-M board of the
   examples (the system exceptions only; a real board appends its
   interrupts). The core loads its stack pointer and reset address from
   the first two words; the script keeps the table and places it at the
   start of flash, since nothing refers to it. The reset handler is the
   run-time library's: it walks the initialization table, calls the
   constructors and main, and ends the run through the program's
   __TANREK_exit. A fault ends the run with an exit code of its own (125
   hard fault, 126 any other exception), so that a bad branch or a bad
   address shows up as a status instead of a hang. */
#include <stdint.h>

#include "semihosting.h"

extern uint8_t __CSTACK_end__[];
void Reset_Handler(void);

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
