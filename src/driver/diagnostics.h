// Diagnostics: remarks, warnings and errors are counted and collected for
// the end of the run; fatal errors and failed assertions end the process at
// once with exit status 100. The effective severity of a diagnostic comes
// from the linker's severity table, so options can suppress or promote
// remarks and warnings.
#pragma once

#include "driver/flags.h"

#include <cstdarg>
#include <cstdint>
#include <string>

namespace tanrek {

class BaseLinker;

// A place in a linker script.
struct SourceLocation {
  uint32_t line = 0;
  uint32_t column = 0;
  const char *file = "";
};

// "remark", "warning", "error", "fatal"; empty for any other value.
const char *SeverityName(uint32_t severity);

void Remark(BaseLinker &linker, const char *format, ...) __attribute__((format(printf, 2, 3)));
void Warning(BaseLinker &linker, const char *format, ...) __attribute__((format(printf, 2, 3)));
void Error(BaseLinker &linker, const char *format, ...) __attribute__((format(printf, 2, 3)));

void DiagnoseAt(BaseLinker &linker, const SourceLocation &location, unsigned kind, const char *format, ...)
    __attribute__((format(printf, 4, 5)));
void RemarkAt(BaseLinker &linker, const SourceLocation &location, const char *format, ...)
    __attribute__((format(printf, 3, 4)));
void ErrorAt(BaseLinker &linker, const SourceLocation &location, const char *format, ...)
    __attribute__((format(printf, 3, 4)));

[[noreturn]] void Fatal(BaseLinker &linker, const char *format, ...) __attribute__((format(printf, 2, 3)));

// A defect of the linker, not of its input: ends the run like Fatal with
// "internal error: " before the message.
[[noreturn]] void InternalError(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Ends the run like Fatal, with `prefix` in place of "error: ". Used for
// messages that carry a position of their own.
[[noreturn]] void VFatalWithPrefix(const std::string &prefix, const char *format, va_list args)
    __attribute__((format(printf, 2, 0)));

// When set, Fatal, InternalError and a failed Assert call this with the
// message (prefix included) before printing and exiting. Harnesses that
// feed many inputs to one process set it to a function that throws.
using FatalHook = void (*)(const std::string &message);
extern FatalHook fatalHook;

// Ends the run with "assertion failure: " when the condition is false.
void Assert(bool condition, const char *format, ...) __attribute__((format(printf, 2, 3)));

// The machine name of the target: "ARM", "RISC-V" or "Unknown".
const char *MachineName(const BaseLinker &linker);

// Prints the banner once, when `show` is true.
void ShowBanner(BaseLinker &linker, bool show);
// The two banner lines, each ending in a line feed.
std::string BannerText(const BaseLinker &linker);

// "N errors, N warnings, N remarks", with " suppressed" after each kind the
// severity table turns off.
std::string SummaryCounts(const BaseLinker &linker);

} // namespace tanrek
