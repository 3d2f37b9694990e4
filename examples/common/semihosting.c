/* Semihosting on every core of the examples. The trap differs by profile
   and state: BKPT 0xAB on M-profile, SVC 0xAB in Thumb state and SVC
   0x123456 in Arm state on the classic and A-profile cores. The exit uses
   SYS_EXIT_EXTENDED, whose parameter block carries the exit code to the
   emulator's own exit status (plain SYS_EXIT does not). semi_dec divides
   by 10, which on cores without a divide instruction calls the division
   helpers of the compiler's support library. */
#include "semihosting.h"

enum { SYS_WRITE0 = 0x04, SYS_EXIT_EXTENDED = 0x20, ADP_STOPPED_APPLICATION_EXIT = 0x20026 };

static uint32_t semi_call(uint32_t operation, const void *parameter)
{
    register uint32_t r0 __asm__("r0") = operation;
    register const void *r1 __asm__("r1") = parameter;
#if defined(__ARM_ARCH_PROFILE) && __ARM_ARCH_PROFILE == 'M'
    __asm__ volatile("bkpt 0xab" : "+r"(r0) : "r"(r1) : "memory");
#elif defined(__thumb__)
    __asm__ volatile("svc 0xab" : "+r"(r0) : "r"(r1) : "memory");
#else
    __asm__ volatile("svc 0x123456" : "+r"(r0) : "r"(r1) : "memory");
#endif
    return r0;
}

void semi_write(const char *text)
{
    semi_call(SYS_WRITE0, text);
}

void semi_dec(int32_t value)
{
    char text[12];
    char *p = text + sizeof text;
    uint32_t magnitude = value < 0 ? 0u - (uint32_t)value : (uint32_t)value;
    *--p = 0;
    do {
        *--p = (char)('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        *--p = '-';
    semi_write(p);
}

void semi_exit(int code)
{
    uint32_t block[2] = {ADP_STOPPED_APPLICATION_EXIT, (uint32_t)code};
    semi_call(SYS_EXIT_EXTENDED, block);
    for (;;) {
    }
}
