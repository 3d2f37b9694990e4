/* The target run-time library: the initialization table the linker writes,
   the routines that carry out its entries, the walker, and the start-up
   entry points.

   The table is a sequence of 32-bit words. Every entry starts with the
   address of the code that handles it. When that is one of the routines
   below, the routine receives a pointer to the words after it (its
   parameters) and returns the pointer past them; any other address is a
   plain void function (an "initialize by calling" function), which
   ignores the pointer it is passed too. The word 0 or the address of __TANREK_init_done ends the
   table.

   What is subtle: the linker references only the routines its table uses,
   so the walker must not refer to them (any reference would link them
   all). It recognizes a routine by what the routine does instead: every
   routine leaves its result in __TANREK_init_next, which the walker clears
   before each call (see init.c). */
#ifndef TANREK_RT_H
#define TANREK_RT_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Defined by the linker: the table and the packed or copied data its
   entries point into. */
extern const uint32_t __TANREK_init_table__[];
extern const uint8_t __TANREK_init_data__[];

typedef const uint32_t *(*tanrek_init_routine)(const uint32_t *params);

/* destination; size */
const uint32_t *__TANREK_init_zero(const uint32_t *params);
/* destination; source; size */
const uint32_t *__TANREK_init_copy(const uint32_t *params);
/* destination; source (an LZSS stream) */
const uint32_t *__TANREK_init_lzss(const uint32_t *params);
/* destination; source (a PackBits stream) */
const uint32_t *__TANREK_init_pack(const uint32_t *params);
/* destination; source (a ZPAK stream); unpacked size */
const uint32_t *__TANREK_init_zpak(const uint32_t *params);
/* destination; size; fill byte (the low 8 bits of the word) */
const uint32_t *__TANREK_init_fill(const uint32_t *params);

/* Set by every routine to the pointer it returns; the walker's way of
   telling a routine from an "initialize by calling" function. Routines
   set it by returning __TANREK_init_continue(next). */
extern const uint32_t *__TANREK_init_next;
const uint32_t *__TANREK_init_continue(const uint32_t *next);

/* Walks __TANREK_init_table__. */
void __TANREK_init(void);

/* Its address ends the table; defined next to the walker, so that the
   linker knows the walker stops there. */
extern const uint8_t __TANREK_init_done[];

/* Cortex-M reset handler (weak): initialization table, preinit and init
   arrays, main, exit. The core loads the stack pointer from the vector
   table, which the program provides. */
void Reset_Handler(void);

/* Arm-state entry for the cores that start in Arm state: sets the stack
   pointer to __CSTACK_end__, then does what Reset_Handler does. */
void __TANREK_start(void);

/* The end of the run: exit(status) when the program links exit (newlib),
   otherwise __TANREK_exit(status). */
void __TANREK_finish(int status) __attribute__((noreturn));

/* Weak hook: the default calls _exit when a program defines one, and
   otherwise spins. A board overrides it, for instance with a semihosting
   exit. */
void __TANREK_exit(int status) __attribute__((noreturn));

/* Bounds of the constructor arrays, defined by the linker for blocks
   named "preinit_array" and "init_array" (newlib's names). */
typedef void (*tanrek_constructor)(void);
extern const tanrek_constructor __preinit_array_start[];
extern const tanrek_constructor __preinit_array_end[];
extern const tanrek_constructor __init_array_start[];
extern const tanrek_constructor __init_array_end[];

/* The top of the stack: the end of a block named CSTACK. */
extern uint8_t __CSTACK_end__[];

#ifdef __cplusplus
}
#endif

#endif
