/* Functions of the interworking program, by the state they are compiled in. */
#ifndef INTERWORK_H
#define INTERWORK_H

#include <stdint.h>

typedef uint32_t (*Unary)(uint32_t);
typedef uint32_t (*Binary)(uint32_t, uint32_t);

/* Arm state (main.c). */
uint32_t arm_square(uint32_t x);
uint32_t arm_negate(uint32_t x);
extern const Unary arm_unary[2];

/* Thumb state (thumb.thumb.c). */
uint32_t thumb_mix(uint32_t a, uint32_t b);
uint32_t thumb_apply(Unary f, uint32_t x);
uint32_t thumb_classify(uint32_t x);
uint32_t thumb_through_table(uint32_t x);
uint32_t thumb_calls_arm(uint32_t x);
extern const Binary thumb_binary[1];
extern const Unary thumb_unary[2];

#endif
