// Integrity check values: the algorithm names a script may request and the
// size of the value each one stores.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tanrek {

// The name used when a check gives none.
constexpr const char *kDefaultIntegrityAlgorithm = "CRC-32";

// The size in bytes of the value the named algorithm produces; 0 for a
// name the linker does not know.
uint32_t IntegrityResultSize(std::string_view algorithm);

// Every algorithm name in byte order, aliases included.
std::vector<std::string_view> IntegrityAlgorithmNames();

} // namespace tanrek
