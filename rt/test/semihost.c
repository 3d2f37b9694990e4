/* Semihosting: BKPT 0xAB on M-profile, SVC 0xAB in Thumb state and
   SVC 0x123456 in Arm state elsewhere. The exit is SYS_EXIT_EXTENDED,
   which carries the status to the emulator's own. */
#include "semihost.h"

static void semi_call(uint32_t operation, const void *parameter)
{
    register uint32_t r0 __asm__("r0") = operation;
    register const void *r1 __asm__("r1") = parameter;
#if __ARM_ARCH_PROFILE == 'M'
    __asm__ volatile("bkpt 0xab" : "+r"(r0) : "r"(r1) : "memory");
#elif defined(__thumb__)
    __asm__ volatile("svc 0xab" : "+r"(r0) : "r"(r1) : "memory");
#else
    __asm__ volatile("svc 0x123456" : "+r"(r0) : "r"(r1) : "memory");
#endif
}

void semi_write(const char *text)
{
    semi_call(0x04, text);
}

void semi_hex(uint32_t value)
{
    char text[9];
    for (int i = 0; i < 8; ++i)
        text[i] = "0123456789abcdef"[value >> (28 - 4 * i) & 0xF];
    text[8] = 0;
    semi_write(text);
}

void semi_exit(int status)
{
    uint32_t block[2] = {0x20026, (uint32_t)status};
    semi_call(0x20, block);
    for (;;) {
    }
}
