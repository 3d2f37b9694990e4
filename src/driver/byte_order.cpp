#include "driver/byte_order.h"

namespace tanrek { bool targetBigEndian = false; }
