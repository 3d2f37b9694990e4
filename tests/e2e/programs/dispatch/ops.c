/* The operations, and a second dispatch through a dense switch that the
   compiler turns into a jump table (a table of offsets or addresses, or a
   call to the compiler's case helper on Thumb-1 cores). */
#include "ops.h"

uint32_t op_add(uint32_t a, uint32_t b) { return a + b; }
uint32_t op_sub(uint32_t a, uint32_t b) { return a - b; }
uint32_t op_mul(uint32_t a, uint32_t b) { return a * b; }
uint32_t op_xor(uint32_t a, uint32_t b) { return a ^ b; }
uint32_t op_and(uint32_t a, uint32_t b) { return a & b; }
uint32_t op_or(uint32_t a, uint32_t b) { return a | b; }
uint32_t op_shl(uint32_t a, uint32_t b) { return a << (b & 31); }
uint32_t op_shr(uint32_t a, uint32_t b) { return a >> (b & 31); }
uint32_t op_rotl(uint32_t a, uint32_t b) { b &= 31; return b ? (a << b) | (a >> (32 - b)) : a; }
uint32_t op_max(uint32_t a, uint32_t b) { return a > b ? a : b; }

__attribute__((noinline))
uint32_t run_switch(unsigned code, uint32_t a, uint32_t b)
{
    switch (code) {
    case 0: return a + b;
    case 1: return a - b;
    case 2: return a * b;
    case 3: return a ^ b;
    case 4: return a & b;
    case 5: return a | b;
    case 6: return a << (b & 31);
    case 7: return a >> (b & 31);
    case 8: return op_rotl(a, b);
    case 9: return op_max(a, b);
    default: return 0xdeadbeef;
    }
}

int same_text(const char *a, const char *b)
{
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}
