/* Functions of the RAM code program, by where they run: ram_* in RAM
   (block RAMCODE, copied from flash at start-up), flash_* in flash. */
#ifndef RAMCODE_H
#define RAMCODE_H

#include <stdint.h>

/* RAM (ram.c). */
uint32_t ram_accumulate(const uint32_t *values, uint32_t count);
uint32_t ram_twice(uint32_t x);
uint32_t ram_tail_to_flash(uint32_t a, uint32_t b);
uint32_t ram_average(const uint32_t *values, uint32_t count);

/* Flash (main.c). */
uint32_t flash_scale(uint32_t x);
uint32_t flash_add(uint32_t a, uint32_t b);

#endif
