#include "placement/locatable.h"

namespace tanrek {

static uint32_t nextSerial = 0;

Serialized::Serialized() : serial(nextSerial++) {}

bool Locatable::TestAndSetState(uint32_t bit) {
  if (state & bit)
    return false;
  state |= bit;
  return true;
}

void Locatable::Map(uint32_t newAddress) {
  address = newAddress;
  state |= StateMapped;
}

} // namespace tanrek
