/* Semihosting for every core the tests run on. The trap differs by
   profile and state: BKPT 0xAB on M-profile, SVC 0xAB in Thumb state and
   SVC 0x123456 in Arm state on the classic and A-profile cores. The exit
   uses SYS_EXIT_EXTENDED, whose parameter block carries the exit code to
   the emulator's own exit status (plain SYS_EXIT does not). Nothing here
   divides through a run-time call except semi_dec, on purpose: it pulls the
   division helpers out of the compiler's support library on cores without
   a divide instruction. */
#include "semihost.h"

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

void semi_hex(uint32_t value)
{
    char text[11];
    text[0] = '0';
    text[1] = 'x';
    for (int i = 0; i < 8; ++i)
        text[2 + i] = "0123456789abcdef"[(value >> (28 - 4 * i)) & 0xF];
    text[10] = 0;
    semi_write(text);
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

static int checks_done;
static int first_failure;

void check(const char *name, uint32_t got, uint32_t want)
{
    ++checks_done;
    if (got == want) {
        semi_write("ok ");
        semi_write(name);
        semi_write("\n");
        return;
    }
    if (first_failure == 0)
        first_failure = checks_done;
    semi_write("FAIL ");
    semi_write(name);
    semi_write(": got ");
    semi_hex(got);
    semi_write(", want ");
    semi_hex(want);
    semi_write("\n");
}

int check_result(void)
{
    return first_failure;
}
