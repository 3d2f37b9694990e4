// What the fuzz harnesses share: one run gets a fresh linker whose fatal
// errors become an exception instead of ending the process, and leaves the
// process-wide state (the linker pointer, the log, the target byte order,
// the fatal hook) as it found it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tanrek {
class ArmLinker;
}

namespace tanrek::fuzz {

// Takes the first byte of an input, the option byte; 0 for an empty input.
uint8_t TakeOptionByte(const uint8_t *&data, size_t &size);

// Runs `body` with a fresh linker as the process's linker, the log open on
// /dev/null when `openLog` is set. Returns the fatal message that ended the
// run (prefix included), or nothing when `body` returned.
std::optional<std::string> RunWithFreshLinker(bool openLog, const std::function<void(ArmLinker &)> &body);

// True for the messages that mean a linker bug rather than a bad input: an
// internal error (with or without a script position) or a failed assertion.
bool IsDefect(const std::string &message);

} // namespace tanrek::fuzz
