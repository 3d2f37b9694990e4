/* Runs a fixed program of operations twice, once through the table of
   handlers and once through the switch, and checks both against results
   worked out by hand. A wrong address in a table, a wrong jump-table entry
   or a broken call across objects changes a result. */
#include "ops.h"
#include "semihost.h"

struct Step {
    uint8_t code;
    uint32_t operand;
};

static const struct Step program[] = {
    {0, 0x1000}, {2, 3}, {1, 0x10}, {3, 0xff00ff}, {8, 4}, {4, 0x0fffffff},
    {6, 2}, {5, 1}, {7, 1}, {9, 0x40000000}, {0, 7}, {8, 31},
};
enum { STEPS = sizeof program / sizeof program[0] };

/* The accumulator after each step, worked out by hand from 5. */
static const uint32_t expected[STEPS] = {
    0x00001005, 0x0000300f, 0x00002fff, 0x00ff2f00, 0x0ff2f000, 0x0ff2f000,
    0x3fcbc000, 0x3fcbc001, 0x1fe5e000, 0x40000000, 0x40000007, 0xa0000003,
};

static uint32_t table_trace[STEPS];
static uint32_t switch_trace[STEPS];

int main(void)
{
    uint32_t by_table = 5, by_switch = 5;
    for (int i = 0; i < STEPS; ++i) {
        by_table = op_table[program[i].code].run(by_table, program[i].operand);
        by_switch = run_switch(program[i].code, by_switch, program[i].operand);
        table_trace[i] = by_table;
        switch_trace[i] = by_switch;
    }
    int table_ok = 1, switch_ok = 1;
    for (int i = 0; i < STEPS; ++i) {
        table_ok &= table_trace[i] == expected[i];
        switch_ok &= switch_trace[i] == expected[i];
    }
    check("handler table", table_ok, 1);
    check("jump table", switch_ok, 1);
    check("final value", by_table, 0xa0000003);

    int names_ok = 1;
    for (int i = 0; i < OP_COUNT; ++i)
        names_ok &= same_text(op_names[i], op_table[i].name);
    check("name tables agree", names_ok, 1);
    check("string constant", same_text(op_names[8], "rotl"), 1);
    check("default case", run_switch(OP_COUNT, 1, 2), 0xdeadbeef);
    check("tail call across objects", op_max_swapped(3, 0x90000000), 0x90000000);
    return check_result();
}
