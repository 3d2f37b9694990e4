/* The initialized, zero-initialized and constant data of the init program,
   defined in data.c and hook.c so that main.c cannot know their values. */
#ifndef INIT_DATA_H
#define INIT_DATA_H

#include <stdint.h>

struct record {
    char name[5];
    uint16_t id;
    uint32_t flags;
};

extern uint8_t byte_value;
extern uint16_t half_value;
extern uint32_t word_value;
extern uint64_t dword_value;
extern struct record record;
extern uint32_t aligned_words[4];
extern char message[];
extern uint8_t odd_bytes[7];
extern uint8_t runs[600];
extern uint32_t sparse[128];
extern const char *greeting_pointer;
extern uint32_t (*operation)(uint32_t);
extern uint32_t far_words[32];
extern volatile uint32_t *device_slots[4];

extern uint32_t zero_words[32];
extern uint8_t zero_bytes[7];
extern uint64_t zero_dword;

extern const char greeting[];
extern const uint16_t crc_table[16];

#define SQUARES 64
extern uint32_t squares[SQUARES];
extern uint32_t square_scale;
extern uint32_t hook_runs;
void build_squares(void);

uint32_t twice(uint32_t value);

#endif
