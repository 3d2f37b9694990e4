/* Initialized data of many sizes and alignments, each variable in its own
   section: single bytes, halfwords, words and doublewords, a padded
   structure, a 64-byte aligned array (which leaves gaps before it), an
   odd-sized array, long runs of equal bytes and mostly zero tables (which
   every packing shrinks), addresses of constants and of a function (data
   with relocations), and words that the script places apart from the rest
   (a second initialization entry). The zero-initialized data and the
   constants are here as well. */
#include "data.h"

uint8_t byte_value = 0x5a;
uint16_t half_value = 0x1234;
uint32_t word_value = 0xdeadbeef;
uint64_t dword_value = 0x0123456789abcdefULL;
struct record record = {"tank", 7, 0x80000001u};
uint32_t aligned_words[4] __attribute__((aligned(64))) = {0x11111111, 0x22222222, 0x33333333, 0x44444444};
char message[] = "initialized data, copied at start-up";
uint8_t odd_bytes[7] = {1, 2, 3, 4, 5, 6, 7};
uint8_t runs[600] = {[0 ... 199] = 0xaa, [200 ... 349] = 0x55, [350 ... 549] = 0, [550 ... 599] = 0x0f};
uint32_t sparse[128] = {[5] = 1, [60] = 0x100, [127] = 0x7f};
const char greeting[] = "constant text in flash";
const char *greeting_pointer = greeting;
uint32_t (*operation)(uint32_t) = twice;
uint32_t far_words[32] __attribute__((section(".data.far"))) = {[0 ... 15] = 0xcafef00d, [16 ... 31] = 0x5eed5eed};

/* Registers of devices this board lacks: the script gives them address 0,
   so the table is all zero at run time, but its relocations keep the
   linker from seeing that (an all-zero section without relocations
   becomes zero-initialized by itself). Packing "zeros" clears it. */
extern volatile uint32_t absent_uart[], absent_timer[];
volatile uint32_t *device_slots[4] __attribute__((section(".data.zeros"))) = {
    absent_uart, absent_timer, absent_uart, absent_timer,
};

uint32_t zero_words[32];
uint8_t zero_bytes[7];
uint64_t zero_dword;

const uint16_t crc_table[16] = {
    0x0000, 0x1021, 0x2042, 0x3063, 0x4084, 0x50a5, 0x60c6, 0x70e7,
    0x8108, 0x9129, 0xa14a, 0xb16b, 0xc18c, 0xd1ad, 0xe1ce, 0xf1ef,
};

uint32_t twice(uint32_t value)
{
    return value * 2;
}
