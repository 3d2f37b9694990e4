/* Counts the constructor calls and marks which ran; zero-initialized, so
   the counts start from zero only if the start-up code clears RAM before
   it calls the constructors. */
#include "registry.h"

uint32_t constructors_seen;
uint32_t constructor_calls;

void record_constructor(uint32_t bit)
{
    constructors_seen |= bit;
    ++constructor_calls;
}

__attribute__((constructor)) static void registry_constructor(void)
{
    record_constructor(1);
}
