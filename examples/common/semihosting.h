/* Output and exit through semihosting: the debugger (or QEMU with
   -semihosting) prints the text and ends the run with the exit code.
   Real firmware would write to a UART instead; semihosting needs no
   driver and works on every board. */
#ifndef EXAMPLES_SEMIHOSTING_H
#define EXAMPLES_SEMIHOSTING_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

void semi_write(const char *text);
void semi_dec(int32_t value);
void semi_exit(int code) __attribute__((noreturn));

#ifdef __cplusplus
}
#endif

#endif
