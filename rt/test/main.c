/* The program of the run-time library's test: checks, from main, what
   the start-up code did before it. The hand-made table (make_table.py)
   has filled, zeroed, copied and unpacked a RAM area, zeroed .bss, copied
   .data and called one function of each state; then the preinit and init
   arrays ran. main compares the area with the expected bytes and checks
   the order of the calls. */
#include <stdint.h>

#include "semihost.h"
#include "tanrek/rt.h"

extern const uint8_t test_expected[];
extern const uint8_t test_area[];
extern const uint8_t test_area_end[];

/* The calls append their numbers here, three bits each: table calls 1
   (Thumb), 2 (Arm) and 5 (call_with_fill), preinit 3, constructor 4.
   Zeroed by the table before the calls. */
uint32_t call_order;
uint32_t copied_word = 0x1234ABCDu;
static uint32_t constructor_saw;

void record_call(uint32_t number)
{
    call_order = call_order << 3 | number;
}

/* A called function that uses a routine itself: the walker must not take
   the routine's result for the end of this entry. */
static uint32_t filled_word;
static const uint32_t fill_block[3] = {(uintptr_t)&filled_word, sizeof filled_word, 0x5A};

void call_with_fill(void)
{
    __TANREK_init_fill(fill_block);
    record_call(5);
}

static void preinit(void)
{
    record_call(3);
}

__attribute__((section(".preinit_array"), used)) static void (*const preinit_entry)(void) = preinit;

/* A constructor runs after the table: it sees the copied data. */
__attribute__((constructor)) static void constructor(void)
{
    constructor_saw = copied_word;
    record_call(4);
}

int main(void)
{
    int failures = 0;
    uint32_t size = (uint32_t)(test_area_end - test_area);
    for (uint32_t i = 0; i < size; ++i) {
        if (test_area[i] != test_expected[i]) {
            semi_write("FAIL area byte ");
            semi_hex(i);
            semi_write("\n");
            ++failures;
            break;
        }
    }
#ifdef TEST_ARM_CALL
    uint32_t want = (((1u << 3 | 2) << 3 | 5) << 3 | 3) << 3 | 4;
#else
    uint32_t want = ((1u << 3 | 5) << 3 | 3) << 3 | 4;
#endif
    if (call_order != want) {
        semi_write("FAIL call order ");
        semi_hex(call_order);
        semi_write("\n");
        ++failures;
    }
    if (filled_word != 0x5A5A5A5Au) {
        semi_write("FAIL fill from a called function\n");
        ++failures;
    }
    if (constructor_saw != 0x1234ABCDu) {
        semi_write("FAIL data before constructors\n");
        ++failures;
    }
    if (failures == 0)
        semi_write("rt test passed\n");
    return failures;
}

/* main's status reaches the emulator through the exit hook. */
void __TANREK_exit(int status)
{
    semi_exit(status);
}
