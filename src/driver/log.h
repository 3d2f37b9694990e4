// The log: written only when --log-file is given. Each pipeline phase opens
// with a boxed headline (depth 0); nested work is indented by depth * 4 - 2
// spaces. Callers test LogOpen() before building expensive arguments.
#pragma once

#include <cstdio>

namespace tanrek {

struct Log {
  std::FILE *stream = nullptr;
  unsigned depth = 0;
};

extern Log theLog;

inline bool LogOpen() { return theLog.stream != nullptr; }

void LogLine(const char *format, ...) __attribute__((format(printf, 1, 2)));
void LogIndent();
unsigned LogOutdent();
// Closes the stream unless it is stdout or stderr.
void CloseLog();

} // namespace tanrek
