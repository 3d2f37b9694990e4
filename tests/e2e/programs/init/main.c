/* Start-up initialization: every variable must hold its initial value
   when main starts, whichever packing the linker chose for the data. Then
   the program scribbles over all of its RAM data and walks the
   initialization table once more, which must restore every value: QEMU
   might have loaded RAM from the image, or RAM might be zero anyway, but
   a second walk over scribbled memory shows what the table itself does. */
#include "data.h"
#include "semihost.h"

void __TANREK_init(void);
extern uint8_t __DATA_segment_start__[];

static uint32_t fold(const volatile void *data, uint32_t size)
{
    const volatile uint8_t *bytes = data;
    uint32_t sum = 0;
    for (uint32_t i = 0; i < size; ++i)
        sum += (uint32_t)bytes[i] * (i + 1);
    return sum;
}

static uint32_t fold_runs_expected(void)
{
    uint32_t sum = 0;
    for (uint32_t i = 0; i < sizeof runs; ++i) {
        uint32_t value = i < 200 ? 0xaa : i < 350 ? 0x55 : i < 550 ? 0 : 0x0f;
        sum += value * (i + 1);
    }
    return sum;
}

static uint32_t far_words_wrong(void)
{
    uint32_t wrong = 0;
    for (uint32_t i = 0; i < 32; ++i)
        wrong += far_words[i] != (i < 16 ? 0xcafef00d : 0x5eed5eed);
    return wrong;
}

static uint32_t crc_table_wrong(void)
{
    uint32_t wrong = 0;
    for (uint32_t i = 0; i < 16; ++i)
        wrong += crc_table[i] != (uint16_t)(i * 0x1021);
    return wrong;
}

static uint32_t nonzero(const volatile void *data, uint32_t size)
{
    const volatile uint8_t *bytes = data;
    uint32_t count = 0;
    for (uint32_t i = 0; i < size; ++i)
        count += bytes[i] != 0;
    return count;
}

static void scribble(volatile void *data, uint32_t size)
{
    volatile uint8_t *bytes = data;
    for (uint32_t i = 0; i < size; ++i)
        bytes[i] = 0xa5;
}

static void check_everything(void)
{
    static const char expected_message[] = "initialized data, copied at start-up";
    static const uint8_t expected_name[5] = "tank";
    uint32_t squares_sum = 0;
    for (uint32_t i = 0; i < SQUARES; ++i)
        squares_sum += squares[i];

    check("byte", byte_value, 0x5a);
    check("halfword", half_value, 0x1234);
    check("word", word_value, 0xdeadbeef);
    check("doubleword high", (uint32_t)(dword_value >> 32), 0x01234567);
    check("doubleword low", (uint32_t)dword_value, 0x89abcdef);
    check("doubleword aligned", (uintptr_t)&dword_value & 7, 0);
    check("record", fold(record.name, 5) + record.id + record.flags, fold(expected_name, 5) + 7 + 0x80000001u);
    check("64-byte aligned words", aligned_words[0] ^ aligned_words[1] ^ aligned_words[2] ^ aligned_words[3],
          0x11111111 ^ 0x22222222 ^ 0x33333333 ^ 0x44444444);
    check("64-byte alignment", (uintptr_t)aligned_words & 63, 0);
    check("string", fold(message, sizeof expected_message), fold(expected_message, sizeof expected_message));
    check("odd-sized array", fold(odd_bytes, 7), 1 * 1 + 2 * 2 + 3 * 3 + 4 * 4 + 5 * 5 + 6 * 6 + 7 * 7);
    check("runs", fold(runs, sizeof runs), fold_runs_expected());
    check("sparse table", nonzero(sparse, sizeof sparse) + sparse[5] + sparse[60] + sparse[127], 3 + 1 + 0x100 + 0x7f);
    check("pointer to constant", (uintptr_t)greeting_pointer, (uintptr_t)greeting);
    check("function pointer", operation(21), 42);
    check("words apart", far_words_wrong(), 0);
    check("words apart address", (uintptr_t)far_words, (uintptr_t)__DATA_segment_start__ + 0x3000);
    check("absent devices", nonzero(device_slots, sizeof device_slots), 0);
    check("zero words", nonzero(zero_words, sizeof zero_words), 0);
    check("zero bytes", nonzero(zero_bytes, sizeof zero_bytes), 0);
    check("zero doubleword", nonzero(&zero_dword, sizeof zero_dword), 0);
    check("constant table", crc_table_wrong(), 0);
    check("called once", hook_runs, 1);
    check("called after copy", squares[7], 7 * 7 * 3);
    check("squares", squares_sum, 3 * (63 * 64 * 127 / 6));
}

int main(void)
{
    semi_write("at start-up:\n");
    check_everything();

    scribble(&byte_value, sizeof byte_value);
    scribble(&half_value, sizeof half_value);
    scribble(&word_value, sizeof word_value);
    scribble(&dword_value, sizeof dword_value);
    scribble(&record, sizeof record);
    scribble(aligned_words, sizeof aligned_words);
    scribble(message, sizeof "initialized data, copied at start-up");
    scribble(odd_bytes, sizeof odd_bytes);
    scribble(runs, sizeof runs);
    scribble(sparse, sizeof sparse);
    scribble(&greeting_pointer, sizeof greeting_pointer);
    scribble(&operation, sizeof operation);
    scribble(far_words, sizeof far_words);
    scribble(device_slots, sizeof device_slots);
    scribble(zero_words, sizeof zero_words);
    scribble(zero_bytes, sizeof zero_bytes);
    scribble(&zero_dword, sizeof zero_dword);
    scribble(squares, sizeof squares);
    scribble(&square_scale, sizeof square_scale);
    scribble(&hook_runs, sizeof hook_runs);

    semi_write("after scribbling over RAM and walking the table again:\n");
    __TANREK_init();
    check_everything();
    return check_result();
}
