#include "placement/locatable.h"

namespace tanrek {

static uint32_t nextSerial = 0;

Serialized::Serialized() : serial(nextSerial++) {}

void Locatable::Map(uint32_t newAddress) {
  address = newAddress;
  state |= StateMapped;
}

} // namespace tanrek
