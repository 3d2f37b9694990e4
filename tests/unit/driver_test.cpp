// The end of the run: undefined symbols, the collected diagnostics, the
// link summary, the output file and the exit status.
#include "arm/arm_linker.h"
#include "driver/diagnostics.h"
#include "driver/driver.h"
#include "driver/log.h"

#include "test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

using namespace tanrek;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

class FinishRunTest : public testing_support::LinkerTest {
protected:
  void SetUp() override {
    LinkerTest::SetUp();
    linker.verbosity = 0;
    output = testing::TempDir() + "finish_run_test_" + testing::UnitTest::GetInstance()->current_test_info()->name();
    std::ofstream(output) << "image";
    linker.outputFileName = output;
  }
  void TearDown() override {
    std::remove(output.c_str());
    LinkerTest::TearDown();
  }

  // Runs the end of the run; returns the exit status and keeps the output.
  int Finish() {
    testing::internal::CaptureStdout();
    int status = FinishRun(linker);
    out = testing::internal::GetCapturedStdout();
    return status;
  }

  bool OutputExists() const { return std::ifstream(output).good(); }

  std::string output;
  std::string out;
};

TEST_F(FinishRunTest, CleanRunPrintsNothingAndKeepsTheOutput) {
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(out, "");
  EXPECT_TRUE(OutputExists());
}

TEST_F(FinishRunTest, UndefinedSymbolsListedTogether) {
  linker.undefinedSymbols = {"_Z3fooi", "bar"};
  EXPECT_EQ(Finish(), 100);
  EXPECT_EQ(out, "\nUndefined symbols:\n  _Z3fooi\n  bar\n"
                 "\nDiagnostics:\nerror: undefined symbols must be resolved to link successfully\n");
  EXPECT_EQ(linker.ErrorCount(), 1u);
  EXPECT_FALSE(OutputExists());
}

TEST_F(FinishRunTest, UndefinedSymbolsEachAnErrorWithDisplayNames) {
  linker.undefinedSymbols = {"_Z3fooi", "bar"};
  linker.SetFlag(Flag::ListAllUndefineds);
  EXPECT_EQ(Finish(), 100);
  EXPECT_THAT(linker.diagnostics, ElementsAre("error: undefined symbol: foo(int)", "error: undefined symbol: bar"));
  EXPECT_EQ(out, "\nDiagnostics:\nerror: undefined symbol: foo(int)\nerror: undefined symbol: bar\n");
  EXPECT_EQ(linker.ErrorCount(), 2u);

  // Without pretty names the name shows as stored.
  ArmLinker raw;
  raw.SetFlag(Flag::BannerShown);
  raw.verbosity = 0;
  raw.outputFileName = output;
  raw.SetFlag(Flag::ListAllUndefineds);
  raw.undefinedSymbols = {"_Z3fooi"};
  testing::internal::CaptureStdout();
  FinishRun(raw);
  testing::internal::GetCapturedStdout();
  EXPECT_THAT(raw.diagnostics, ElementsAre("error: undefined symbol: _Z3fooi"));
}

TEST_F(FinishRunTest, CollectedDiagnosticsArePrintedInOrder) {
  Warning(linker, "first");
  Remark(linker, "second");
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(out, "\nDiagnostics:\nwarning: first\nremark: second\n");
  EXPECT_TRUE(OutputExists());
}

TEST_F(FinishRunTest, LinkSummaryOnlyFromVerbosityOne) {
  Warning(linker, "w");
  linker.severityTable[SeverityRemark] = SeverityNone;
  Remark(linker, "r");
  linker.verbosity = 1;
  EXPECT_EQ(Finish(), 0);
  EXPECT_THAT(out, HasSubstr("\nDiagnostics:\nwarning: w\n"));
  EXPECT_THAT(out, HasSubstr("Link complete: 0 errors, 1 warnings, 1 remarks suppressed\n"));
  EXPECT_LT(out.find("Diagnostics:"), out.find("Link complete: "));
  // With verbosity 0 (every other test here) no summary is printed.
}

TEST_F(FinishRunTest, ErrorsRemoveTheOutputUnlessForced) {
  Error(linker, "broken");
  EXPECT_EQ(Finish(), 100);
  EXPECT_FALSE(OutputExists());

  ArmLinker forced;
  forced.SetFlag(Flag::BannerShown);
  forced.verbosity = 0;
  forced.outputFileName = output;
  forced.SetFlag(Flag::ForceOutput);
  std::ofstream(output) << "image";
  Error(forced, "broken");
  testing::internal::CaptureStdout();
  EXPECT_EQ(FinishRun(forced), 100);
  testing::internal::GetCapturedStdout();
  EXPECT_TRUE(OutputExists());
}

TEST_F(FinishRunTest, StatusFollowsTheEffectiveSeverity) {
  linker.severityTable[SeverityWarning] = SeverityNone;
  Warning(linker, "hidden");
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(out, "");

  linker.severityTable[SeverityRemark] = SeverityError;
  Remark(linker, "now an error");
  std::remove(output.c_str()); // a missing output file is no problem
  EXPECT_EQ(Finish(), 100);
  EXPECT_EQ(out, "\nDiagnostics:\nerror: now an error\n");
}

TEST_F(FinishRunTest, TheLogIsClosed) {
  theLog.stream = std::tmpfile();
  ASSERT_NE(theLog.stream, nullptr);
  Finish();
  EXPECT_EQ(theLog.stream, nullptr);
}

} // namespace
