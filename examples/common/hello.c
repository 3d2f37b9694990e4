/* The example program, the same on every board: a sensor log that uses
   each kind of data the start-up code prepares. Initialized data (the
   calibration table, the device name, the sample counter) is copied from
   flash to RAM, packed; zero-initialized data (the event log) is cleared;
   constants stay in flash; a constructor runs before main; and a small
   allocator hands out memory from the heap block. The output goes through
   semihosting, and main's result becomes the exit code. */
#include <stddef.h>
#include <stdint.h>

#include "semihosting.h"

/* Bounds of the HEAP block, defined by the linker. */
extern uint8_t __HEAP_start__[], __HEAP_end__[];

static const char banner[] = "Hello from Tanrek!\n";

/* Initialized data: runs of equal values, as calibration tables often
   are, so the linker's packing has something to save. The table and the
   name are global: a static array that nothing writes may be moved to
   flash by the compiler. */
int16_t calibration[64] = {[0 ... 15] = 100, [16 ... 31] = 250, [32 ... 47] = -40, [48 ... 63] = 7};
char device_name[16] = "sensor-7";
static uint32_t samples_taken = 1000;
static uint8_t *heap_next = __HEAP_start__;

/* Zero-initialized data. */
static uint32_t event_log[32];
static uint32_t events;

static int constructor_ran;

__attribute__((constructor)) static void setup(void)
{
    constructor_ran = 1;
    samples_taken += 1;
}

static void *allocate(size_t size)
{
    size = (size + 7) & ~(size_t)7;
    if (size > (size_t)(__HEAP_end__ - heap_next))
        return NULL;
    void *block = heap_next;
    heap_next += size;
    return block;
}

static void print_number(const char *label, int32_t value)
{
    semi_write(label);
    semi_dec(value);
    semi_write("\n");
}

/* The run-time library ends the run here when main returns, with main's
   result: semihosting passes it on as the exit code. */
void __TANREK_exit(int code)
{
    semi_exit(code);
}

int main(void)
{
    semi_write(banner);
    semi_write("device: ");
    semi_write(device_name);
    semi_write("\n");

    int32_t sum = 0;
    for (int i = 0; i < 64; ++i)
        sum += calibration[i];
    print_number("calibration sum: ", sum);
    print_number("samples: ", (int32_t)samples_taken);
    print_number("constructor ran: ", constructor_ran);

    uint32_t nonzero = 0;
    for (int i = 0; i < 32; ++i)
        nonzero += event_log[i] != 0;
    print_number("nonzero log entries: ", (int32_t)nonzero);
    event_log[events++] = samples_taken;

    uint8_t *first = allocate(100);
    uint8_t *second = allocate(20);
    int heap_ok = first == __HEAP_start__ && second == first + 104 && allocate(1 << 20) == NULL;
    print_number("heap allocations in the HEAP block: ", heap_ok);

    int failed = sum != 16 * (100 + 250 - 40 + 7) || samples_taken != 1001 || !constructor_ran || nonzero != 0 ||
                 !heap_ok;
    semi_write(failed ? "FAILED\n" : "done\n");
    return failed;
}
