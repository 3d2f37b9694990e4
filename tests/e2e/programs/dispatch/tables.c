/* Constant tables in flash that hold addresses: names that point into the
   string constants, and handlers that point into another object; and a
   tail call into that object. */
#include "ops.h"

const char *const op_names[OP_COUNT] = {
    "add", "sub", "mul", "xor", "and", "or", "shl", "shr", "rotl", "max",
};

const struct OpEntry op_table[OP_COUNT] = {
    {"add", op_add}, {"sub", op_sub}, {"mul", op_mul}, {"xor", op_xor}, {"and", op_and},
    {"or", op_or},   {"shl", op_shl}, {"shr", op_shr}, {"rotl", op_rotl}, {"max", op_max},
};

uint32_t op_max_swapped(uint32_t a, uint32_t b)
{
    return op_max(b, a);
}
