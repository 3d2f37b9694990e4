/* Calls into a library archive and into the compiler's support library
   (division helpers). Only the archive members something refers to are
   part of the image. */
#include "lib/support.h"
#include "semihost.h"

static const uint8_t check_input[] = "123456789";
static const uint32_t unsorted[8] = {42, 7, 0xffffffff, 19, 0, 1000000, 7, 3};
static const uint32_t sorted[8] = {0, 3, 7, 7, 19, 42, 1000000, 0xffffffff};
static uint32_t words[8];

static int ascending(uint32_t a, uint32_t b)
{
    return a < b;
}

static int same_text(const char *a, const char *b)
{
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

int main(void)
{
    /* Volatile, so that the divisions happen at run time. */
    volatile uint32_t dividend = 1000000007u, divisor = 97;
    volatile uint64_t big = 1234567890123456789ull;

    check("crc32 check value", crc32(check_input, 9), 0xcbf43926);
    check("unsigned division", dividend / divisor, 10309278);
    check("unsigned remainder", dividend % divisor, 41);
    check("signed rounding division", (uint32_t)divide_round(-7001, 1000), (uint32_t)-7);
    check("signed rounding up", (uint32_t)divide_round(6500, -1000), (uint32_t)-7);

    char text[21];
    check("64-bit division", same_text(format_u64(big, text), "1234567890123456789"), 1);
    semi_write(format_u64(big / 1000, text));
    semi_write("\n");

    for (int i = 0; i < 8; ++i)
        words[i] = unsorted[i];
    sort_words(words, 8, ascending);
    int sorted_ok = 1;
    for (int i = 0; i < 8; ++i)
        sorted_ok &= words[i] == sorted[i];
    check("sort through callback", sorted_ok, 1);
    return check_result();
}
