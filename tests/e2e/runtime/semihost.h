/* The test programs' only way out of the emulator: the examples'
   semihosting calls that print text and end the run with an exit code,
   and the checks built on them. Every program prints what it checks and
   returns the number of the first check that failed. */
#ifndef E2E_SEMIHOST_H
#define E2E_SEMIHOST_H

#include <stdint.h>

#include "../../../examples/common/semihosting.h"

#ifdef __cplusplus
extern "C" {
#endif

void __TANREK_exit(int code) __attribute__((noreturn));
void semi_hex(uint32_t value);

/* Prints "ok NAME" or "FAIL NAME: got X, want Y" and records the first
   failing check; check_result() returns its number (0: all passed). */
void check(const char *name, uint32_t got, uint32_t want);
int check_result(void);

#ifdef __cplusplus
}
#endif

#endif
