/* The smallest program: start-up, semihosting output and exit code, and
   the addresses the linker chose. The stack, the zero-initialized data,
   the code and the constants must each lie inside the block or region the
   script put them in, and a function's address must carry the state of its
   code in bit 0 (set for Thumb). Sections with a large alignment must
   start on it and hold their own contents there. */
#include <stdint.h>

#include "semihost.h"

extern uint8_t __CSTACK_start__[], __CSTACK_end__[];
extern uint8_t __bss_start__[], __bss_end__[];
extern uint8_t __CODE_segment_start__[], __CODE_segment_end__[];
extern uint8_t __DATA_segment_start__[], __DATA_segment_end__[];

static const char greeting[] = "hello from the linked image\n";
static const uint32_t pattern[4] = {0x01234567, 0x89abcdef, 0xfedcba98, 0x76543210};
static uint32_t counters[16];
static const uint8_t aligned_table[16] __attribute__((aligned(64))) = {
    0x10, 0x21, 0x32, 0x43, 0x54, 0x65, 0x76, 0x87, 0x98, 0xa9, 0xba, 0xcb, 0xdc, 0xed, 0xfe, 0x0f,
};
static uint32_t aligned_buffer[8] __attribute__((aligned(32)));

static int within(const void *p, const uint8_t *start, const uint8_t *end)
{
    return (uintptr_t)p >= (uintptr_t)start && (uintptr_t)p < (uintptr_t)end;
}

int main(void)
{
    volatile uint32_t local = 0;
    semi_write(greeting);

    check("stack in CSTACK", within((const void *)&local, __CSTACK_start__, __CSTACK_end__), 1);
    check("stack at end of DATA", (uintptr_t)__CSTACK_end__, (uintptr_t)__DATA_segment_end__);
    check("bss in block", within(counters, __bss_start__, __bss_end__), 1);
    check("bss in DATA", within(counters, __DATA_segment_start__, __DATA_segment_end__), 1);
    check("bss cleared", counters[0] | counters[7] | counters[15], 0);
    check("code in CODE", within((const void *)(uintptr_t)&main, __CODE_segment_start__, __CODE_segment_end__), 1);
    check("constants in CODE", within(pattern, __CODE_segment_start__, __CODE_segment_end__), 1);
#if defined(__thumb__)
    check("thumb bit of main", (uintptr_t)&main & 1, 1);
#else
    check("thumb bit of main", (uintptr_t)&main & 1, 0);
#endif
    uint32_t sum = 0;
    for (int i = 0; i < 4; ++i) {
        counters[i] += pattern[i];
        sum ^= counters[i];
    }
    check("constant table", sum, 0x01234567 ^ 0x89abcdef ^ 0xfedcba98 ^ 0x76543210);

    /* Read through a volatile pointer, so that the compiler cannot work
       the sum out from the initializer. */
    const volatile uint8_t *bytes = aligned_table;
    uint32_t weighted = 0;
    for (int i = 0; i < 16; ++i)
        weighted += (uint32_t)bytes[i] * (uint32_t)(i + 1);
    check("64-byte aligned constants", (uintptr_t)aligned_table & 63, 0);
    check("aligned constants' contents", weighted, 0x52d0);
    check("32-byte aligned bss", (uintptr_t)aligned_buffer & 31, 0);
    return check_result();
}
