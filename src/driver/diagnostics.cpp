#include "driver/diagnostics.h"

#include "driver/format.h"
#include "driver/linker.h"
#include "driver/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace tanrek {

FatalHook fatalHook = nullptr;

namespace {
constexpr int kVersion = 40200;
constexpr size_t kMessageCapacity = 1024;
} // namespace

const char *SeverityName(uint32_t severity) {
  switch (severity) {
  case SeverityRemark:
    return "remark";
  case SeverityWarning:
    return "warning";
  case SeverityError:
    return "error";
  case SeverityFatal:
    return "fatal";
  default:
    return "";
  }
}

static void ShowBannerIfDue(BaseLinker &linker) {
  if (!linker.TestFlag(Flag::BannerShown) && linker.verbosity >= 1)
    ShowBanner(linker, true);
}

// Counts and collects one diagnostic; `location` is null for a plain one.
static void Issue(BaseLinker &linker, const SourceLocation *location, unsigned kind, const char *format,
                  va_list args) {
  uint32_t severity = kind < linker.severityTable.size() ? linker.severityTable[kind] : kind;
  if (severity == SeverityNone) {
    if (kind < linker.diagnosticCounts.size())
      ++linker.diagnosticCounts[kind];
    return;
  }
  std::string prefix = std::string(SeverityName(severity)) + ": ";
  if (severity < linker.diagnosticCounts.size())
    ++linker.diagnosticCounts[severity];
  ShowBannerIfDue(linker);
  std::string message = VFormatCut(kMessageCapacity, format, args);
  std::string line =
      location ? Format("%s:%u:%u: %s", location->file, location->line, location->column, prefix.c_str())
               : prefix;
  linker.diagnostics.push_back(line + message);
}

#define TANREK_FORWARD(location, kind)                                                                       \
  va_list args;                                                                                              \
  va_start(args, format);                                                                                    \
  Issue(linker, location, kind, format, args);                                                               \
  va_end(args)

void Remark(BaseLinker &linker, const char *format, ...) { TANREK_FORWARD(nullptr, SeverityRemark); }
void Warning(BaseLinker &linker, const char *format, ...) { TANREK_FORWARD(nullptr, SeverityWarning); }
void Error(BaseLinker &linker, const char *format, ...) { TANREK_FORWARD(nullptr, SeverityError); }
void DiagnoseAt(BaseLinker &linker, const SourceLocation &location, unsigned kind, const char *format, ...) {
  TANREK_FORWARD(&location, kind);
}
void RemarkAt(BaseLinker &linker, const SourceLocation &location, const char *format, ...) {
  TANREK_FORWARD(&location, SeverityRemark);
}
void ErrorAt(BaseLinker &linker, const SourceLocation &location, const char *format, ...) {
  TANREK_FORWARD(&location, SeverityError);
}

#undef TANREK_FORWARD

// Reports on stderr and ends the process; `linker` is null when the linker
// object does not exist yet.
[[noreturn]] __attribute__((format(printf, 3, 0))) static void VFatal(BaseLinker *linker, const char *prefix, const char *format, va_list args) {
  if (linker)
    ShowBannerIfDue(*linker);
  std::string message = VFormat(format, args);
  if (fatalHook)
    fatalHook(prefix + message);
  std::fflush(stdout);
  std::fprintf(stderr, "\n%s%s\n", prefix, message.c_str());
  CloseLog();
  if (linker)
    linker->report.Close();
  std::exit(100);
}

void Fatal(BaseLinker &linker, const char *format, ...) {
  va_list args;
  va_start(args, format);
  VFatal(&linker, "error: ", format, args);
}

void VFatalWithPrefix(const std::string &prefix, const char *format, va_list args) {
  VFatal(theLinker, prefix.c_str(), format, args);
}

void InternalError(const char *format, ...) {
  va_list args;
  va_start(args, format);
  VFatal(theLinker, "error: internal error: ", format, args);
}

void Assert(bool condition, const char *format, ...) {
  if (condition)
    return;
  va_list args;
  va_start(args, format);
  VFatal(theLinker, "assertion failure: ", format, args);
}

const char *MachineName(const BaseLinker &linker) {
  switch (linker.GetPara(2)) {
  case 40:
    return "ARM";
  case 243:
    return "RISC-V";
  default:
    return "Unknown";
  }
}

std::string BannerText(const BaseLinker &linker) {
  return Format("Tanrek %s Linker %d.%d.%d\n", MachineName(linker), kVersion / 10000, kVersion / 100 % 100, kVersion % 100) +
         "Static linker for embedded processors: placement scripts, start-up initialization, map files\n";
}

void ShowBanner(BaseLinker &linker, bool show) {
  if (!show || linker.TestFlag(Flag::BannerShown))
    return;
  linker.SetFlag(Flag::BannerShown);
  std::fputs(BannerText(linker).c_str(), stdout);
}

std::string SummaryCounts(const BaseLinker &linker) {
  std::string text;
  for (unsigned kind : {SeverityError, SeverityWarning, SeverityRemark}) {
    if (!text.empty())
      text += ", ";
    text += Format("%u %ss", linker.diagnosticCounts[kind], SeverityName(kind));
    if (linker.severityTable[kind] == SeverityNone)
      text += " suppressed";
  }
  return text;
}

} // namespace tanrek
