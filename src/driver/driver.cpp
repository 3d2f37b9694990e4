#include "driver/driver.h"

#include "driver/byte_order.h"
#include "driver/diagnostics.h"
#include "driver/linker.h"
#include "driver/log.h"
#include "driver/options.h"
#include "output/output_image.h"

#include <cstdio>

namespace tanrek {

static void OpenLog(BaseLinker &linker) {
  if (!linker.logFileName)
    return;
  theLog.stream = std::fopen(linker.logFileName->c_str(), "w");
  if (!theLog.stream)
    Fatal(linker, "can't open '%s' for writing", linker.logFileName->c_str());
}

int RunDriver(BaseLinker &linker, int argc, const char *const *argv) {
  linker.SetDefaultFlags();

  AsmOptionsFatal cursor(linker);
  cursor.ExpandCommandLine(argc, argv);
  linker.ParseOptions(cursor);
  targetBigEndian = linker.TestFlag(Flag::BigEndian);

  ShowBanner(linker, linker.verbosity >= 1);
  if (linker.inputFiles.empty())
    Fatal(linker, "no input files");
  OpenLog(linker);
  linker.PrepareOutputImage();
  linker.Link();
  return FinishRun(linker);
}

static void ReportUndefinedSymbols(BaseLinker &linker) {
  if (linker.undefinedSymbols.empty())
    return;
  if (linker.TestFlag(Flag::ListAllUndefineds)) {
    for (const std::string &name : linker.undefinedSymbols)
      Error(linker, "undefined symbol: %s", DisplayName(linker, name).c_str());
    return;
  }
  std::printf("\nUndefined symbols:\n");
  for (const std::string &name : linker.undefinedSymbols)
    std::printf("  %s\n", name.c_str());
  Error(linker, "undefined symbols must be resolved to link successfully");
}

static void PrintDiagnostics(const BaseLinker &linker) {
  if (linker.diagnostics.empty())
    return;
  std::printf("\nDiagnostics:\n");
  for (const std::string &line : linker.diagnostics)
    std::printf("%s\n", line.c_str());
}

// The timing report behind --time prints nothing.
static void TimingReport() {}

static void PrintLinkSummary(BaseLinker &linker) {
  std::fflush(stdout);
  linker.report.UseText(stdout);
  // The region summary table that precedes this line on a clean link comes
  // with placement.
  linker.report.Line("Link complete: %s", SummaryCounts(linker).c_str());
}

int FinishRun(BaseLinker &linker) {
  ReportUndefinedSymbols(linker);
  PrintDiagnostics(linker);
  if (linker.TestFlag(Flag::Time))
    TimingReport();
  if (linker.verbosity >= 1)
    PrintLinkSummary(linker);
  bool failed = linker.ErrorCount() != 0;
  if (failed && !linker.TestFlag(Flag::ForceOutput))
    DiscardOutput(linker.outputFileName);
  CloseLog();
  std::fflush(stdout);
  return failed ? 100 : 0;
}

} // namespace tanrek
