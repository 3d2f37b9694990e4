/* Insertion sort with the order given by a function pointer. */
#include "support.h"

void sort_words(uint32_t *words, uint32_t count, int (*before)(uint32_t, uint32_t))
{
    for (uint32_t i = 1; i < count; ++i) {
        uint32_t word = words[i];
        uint32_t j = i;
        for (; j > 0 && before(word, words[j - 1]); --j)
            words[j] = words[j - 1];
        words[j] = word;
    }
}
