// Whole-file reading for the small text inputs of the driver (option files
// and scripts): one open, one read.
#pragma once

#include <optional>
#include <string>

namespace tanrek {

// The file's bytes, or none when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string &fileName);

} // namespace tanrek
