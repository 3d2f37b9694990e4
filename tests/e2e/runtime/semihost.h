/* The test programs' only way out of the emulator: semihosting calls that
   print text and end the run with an exit code. Every program prints what
   it checks and returns the number of the first check that failed. */
#ifndef E2E_SEMIHOST_H
#define E2E_SEMIHOST_H

#include <stdint.h>

void semi_write(const char *text);
void semi_hex(uint32_t value);
void semi_dec(int32_t value);
void semi_exit(int code) __attribute__((noreturn));

/* Prints "ok NAME" or "FAIL NAME: got X, want Y" and records the first
   failing check; check_result() returns its number (0: all passed). */
void check(const char *name, uint32_t got, uint32_t want);
int check_result(void);

#endif
