#include "harness_support.h"

#include "arm/arm_linker.h"
#include "driver/byte_order.h"
#include "driver/diagnostics.h"
#include "driver/log.h"
#include "script/script_lexer.h"

#include <cstdio>
#include <memory>
#include <string_view>

namespace tanrek::fuzz {

namespace {

// Thrown by the fatal hook; carries the message with its prefix.
struct FatalStop {
  std::string message;
};

void ThrowFatal(const std::string &message) { throw FatalStop{message}; }

// The message after its prefix: "error: " for a fatal without position,
// "<file>:<line>:<column>: error: " for one in a script.
std::string_view MessageText(std::string_view message) {
  constexpr std::string_view kError = "error: ";
  if (message.starts_with(kError))
    return message.substr(kError.size());
  size_t end = message.find(": error: ");
  return end == std::string_view::npos ? message : message.substr(end + 2 + kError.size());
}

} // namespace

uint8_t TakeOptionByte(const uint8_t *&data, size_t &size) {
  if (size == 0)
    return 0;
  --size;
  return *data++;
}

std::optional<std::string> RunWithFreshLinker(bool openLog, const std::function<void(ArmLinker &)> &body) {
  FatalHook savedHook = fatalHook;
  fatalHook = ThrowFatal;
  if (openLog) {
    theLog.stream = std::fopen("/dev/null", "w");
    theLog.depth = 0;
  }
  auto linker = std::make_unique<ArmLinker>();
  theLinker = linker.get();
  std::optional<std::string> fatal;
  try {
    body(*linker);
  } catch (const FatalStop &stop) {
    fatal = stop.message;
  }
  // A fatal error inside a script leaves the pointer to its lexer behind.
  currentLexer = nullptr;
  linker.reset();
  theLinker = nullptr;
  targetBigEndian = false;
  CloseLog();
  theLog.depth = 0;
  fatalHook = savedHook;
  return fatal;
}

bool IsDefect(const std::string &message) {
  return message.starts_with("assertion failure: ") || MessageText(message).starts_with("internal error: ");
}

} // namespace tanrek::fuzz
