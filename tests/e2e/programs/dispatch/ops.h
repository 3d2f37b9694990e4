/* Operations shared by the objects of the dispatch program. */
#ifndef DISPATCH_OPS_H
#define DISPATCH_OPS_H

#include <stdint.h>

typedef uint32_t (*Operation)(uint32_t, uint32_t);

struct OpEntry {
    const char *name;
    Operation run;
};

enum { OP_COUNT = 10 };

extern const struct OpEntry op_table[OP_COUNT];
extern const char *const op_names[OP_COUNT];

uint32_t op_add(uint32_t a, uint32_t b);
uint32_t op_sub(uint32_t a, uint32_t b);
uint32_t op_mul(uint32_t a, uint32_t b);
uint32_t op_xor(uint32_t a, uint32_t b);
uint32_t op_and(uint32_t a, uint32_t b);
uint32_t op_or(uint32_t a, uint32_t b);
uint32_t op_shl(uint32_t a, uint32_t b);
uint32_t op_shr(uint32_t a, uint32_t b);
uint32_t op_rotl(uint32_t a, uint32_t b);
uint32_t op_max(uint32_t a, uint32_t b);

uint32_t run_switch(unsigned code, uint32_t a, uint32_t b);
uint32_t op_max_swapped(uint32_t a, uint32_t b);
int same_text(const char *a, const char *b);

#endif
