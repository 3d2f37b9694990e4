#include "driver/log.h"

#include "driver/format.h"

#include <cstdarg>

namespace tanrek {

Log theLog;

namespace {
constexpr size_t kHeadlineCapacity = 256;
constexpr size_t kHeadlineMaxChars = 70;
constexpr int kBoxWidth = 87;
} // namespace

// The boxed headline for a phase title, written at depth 0.
static std::string LogHeadline(const std::string &title) {
  std::string text = title.substr(0, kHeadlineMaxChars);
  int length = static_cast<int>(text.size());
  // "*** " + left + text + right + " ***" is 87 wide: left + right = 79 - length.
  int left = 39 - length / 2;
  int right = length % 2 ? left : left + 1;
  std::string stars(kBoxWidth, '*');
  std::string border = "***" + std::string(kBoxWidth - 6, ' ') + "***";
  return "\n\n" + stars + "\n" + border + "\n" + Format("*** %*s%s%*s ***\n", left, "", text.c_str(), right, "") +
         border + "\n" + stars + "\n\n";
}

void LogLine(const char *format, ...) {
  if (!theLog.stream)
    return;
  va_list args;
  va_start(args, format);
  std::string line;
  if (theLog.depth > 0) {
    line = std::string(theLog.depth * 4 - 2, ' ') + VFormat(format, args) + "\n";
  } else {
    line = LogHeadline(VFormatCut(kHeadlineCapacity, format, args));
  }
  va_end(args);
  std::fputs(line.c_str(), theLog.stream);
}

void LogIndent() { ++theLog.depth; }

unsigned LogOutdent() {
  if (theLog.depth > 0)
    --theLog.depth;
  return theLog.depth;
}

void CloseLog() {
  if (theLog.stream && theLog.stream != stdout && theLog.stream != stderr)
    std::fclose(theLog.stream);
  theLog.stream = nullptr;
}

} // namespace tanrek
