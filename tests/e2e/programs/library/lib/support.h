/* A small support library, linked from an archive. */
#ifndef LIBRARY_SUPPORT_H
#define LIBRARY_SUPPORT_H

#include <stdint.h>

uint32_t crc32(const uint8_t *data, uint32_t length);
/* Writes VALUE in decimal into TEXT (at least 21 bytes); returns TEXT. */
char *format_u64(uint64_t value, char *text);
int32_t divide_round(int32_t numerator, int32_t denominator);
void sort_words(uint32_t *words, uint32_t count, int (*before)(uint32_t, uint32_t));

#endif
