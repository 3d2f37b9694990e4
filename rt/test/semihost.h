/* The test's way out of the emulator: text and an exit status. */
#ifndef RT_TEST_SEMIHOST_H
#define RT_TEST_SEMIHOST_H

#include <stdint.h>

void semi_write(const char *text);
void semi_hex(uint32_t value);
void semi_exit(int status) __attribute__((noreturn));

#endif
