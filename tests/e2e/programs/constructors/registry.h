/* Constructors of three objects record that they ran. */
#ifndef CONSTRUCTORS_REGISTRY_H
#define CONSTRUCTORS_REGISTRY_H

#include <stdint.h>

void record_constructor(uint32_t bit);
extern uint32_t constructors_seen;
extern uint32_t constructor_calls;

#endif
