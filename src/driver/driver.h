// The driver: from the argument vector to the exit status.
#pragma once

namespace tanrek {

class BaseLinker;

// Parses the command line into the linker, runs the link and reports.
// Returns the exit status (0, or 100 when errors were counted).
int RunDriver(BaseLinker &linker, int argc, const char *const *argv);

// The end of the run: undefined symbols, collected diagnostics, the link
// summary and the removal of the output file on error.
int FinishRun(BaseLinker &linker);

} // namespace tanrek
