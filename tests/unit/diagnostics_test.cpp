// Counted diagnostics, the severity table, the summary text, the banner and
// the diagnostics that end the run.
#include "arm/arm_linker.h"
#include "driver/diagnostics.h"
#include "driver/log.h"

#include "test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <string>

#include <unistd.h>

using namespace tanrek;
using testing::ElementsAre;
using testing::ExitedWithCode;
using testing::HasSubstr;

namespace {

using Counts = std::array<uint32_t, 5>;

using DiagnosticsTest = testing_support::LinkerTest;

using DiagnosticsDeathTest = DiagnosticsTest;

TEST_F(DiagnosticsTest, PlainDiagnosticsAreCollectedWithTheirSeverity) {
  Remark(linker, "note %d", 1);
  Warning(linker, "odd %s", "thing");
  Error(linker, "bad %u%%", 7u);
  EXPECT_THAT(linker.diagnostics, ElementsAre("remark: note 1", "warning: odd thing", "error: bad 7%"));
  EXPECT_EQ(linker.diagnosticCounts, (Counts{0, 1, 1, 1, 0}));
  EXPECT_EQ(linker.ErrorCount(), 1u);
}

TEST_F(DiagnosticsTest, LocatedDiagnosticsStartWithFileLineAndColumn) {
  SourceLocation where{12, 5, "app.icf"};
  ErrorAt(linker, where, "unknown keyword '%s'", "plaec");
  RemarkAt(linker, where, "deprecated");
  DiagnoseAt(linker, SourceLocation{1, 0, "b.icf"}, SeverityWarning, "w%d", 2);
  EXPECT_THAT(linker.diagnostics, ElementsAre("app.icf:12:5: error: unknown keyword 'plaec'",
                                              "app.icf:12:5: remark: deprecated", "b.icf:1:0: warning: w2"));
  EXPECT_EQ(linker.diagnosticCounts, (Counts{0, 1, 1, 1, 0}));
}

TEST_F(DiagnosticsTest, SuppressedKindsCountButShowNothing) {
  linker.severityTable[SeverityWarning] = SeverityNone;
  linker.severityTable[SeverityRemark] = SeverityNone;
  linker.ClearFlag(Flag::BannerShown);
  testing::internal::CaptureStdout();
  Warning(linker, "hidden");
  Warning(linker, "hidden too");
  RemarkAt(linker, SourceLocation{1, 1, "a.icf"}, "hidden remark");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), ""); // not even the banner
  EXPECT_TRUE(linker.diagnostics.empty());
  EXPECT_EQ(linker.diagnosticCounts, (Counts{0, 1, 2, 0, 0}));
  EXPECT_EQ(SummaryCounts(linker), "0 errors, 2 warnings suppressed, 1 remarks suppressed");
}

TEST_F(DiagnosticsTest, PromotedDiagnosticsCountAsTheirEffectiveSeverity) {
  linker.severityTable[SeverityRemark] = SeverityError;
  linker.severityTable[SeverityWarning] = SeverityError;
  Remark(linker, "r");
  RemarkAt(linker, SourceLocation{3, 4, "s.icf"}, "r2");
  Warning(linker, "w");
  EXPECT_THAT(linker.diagnostics, ElementsAre("error: r", "s.icf:3:4: error: r2", "error: w"));
  EXPECT_EQ(linker.diagnosticCounts, (Counts{0, 0, 0, 3, 0}));
  EXPECT_EQ(linker.ErrorCount(), 3u);

  linker.severityTable[SeverityRemark] = SeverityWarning;
  Remark(linker, "r3");
  EXPECT_EQ(linker.diagnostics.back(), "warning: r3");
  EXPECT_EQ(linker.diagnosticCounts, (Counts{0, 0, 1, 3, 0}));
}

TEST_F(DiagnosticsTest, MessagesAreCutTo1023Characters) {
  std::string fits(1023, 'a'), tooLong(1500, 'b');
  Warning(linker, "%s", fits.c_str());
  Warning(linker, "%s", (fits + "z").c_str());
  ErrorAt(linker, SourceLocation{2, 3, "f.icf"}, "%s", tooLong.c_str());
  ASSERT_EQ(linker.diagnostics.size(), 3u);
  EXPECT_EQ(linker.diagnostics[0], "warning: " + fits);
  EXPECT_EQ(linker.diagnostics[1], "warning: " + fits);
  EXPECT_EQ(linker.diagnostics[2], "f.icf:2:3: error: " + std::string(1023, 'b'));
}

TEST_F(DiagnosticsTest, SummaryCountsAlwaysAddTheS) {
  EXPECT_EQ(SummaryCounts(linker), "0 errors, 0 warnings, 0 remarks");
  Error(linker, "e");
  Warning(linker, "w");
  Remark(linker, "r");
  Remark(linker, "r");
  EXPECT_EQ(SummaryCounts(linker), "1 errors, 1 warnings, 2 remarks");

  linker.severityTable[SeverityWarning] = SeverityNone;
  EXPECT_EQ(SummaryCounts(linker), "1 errors, 1 warnings suppressed, 2 remarks");
  // A promotion is not a suppression.
  linker.severityTable[SeverityRemark] = SeverityError;
  EXPECT_EQ(SummaryCounts(linker), "1 errors, 1 warnings suppressed, 2 remarks");
}

TEST_F(DiagnosticsTest, SeverityNames) {
  EXPECT_STREQ(SeverityName(0), "");
  EXPECT_STREQ(SeverityName(1), "remark");
  EXPECT_STREQ(SeverityName(2), "warning");
  EXPECT_STREQ(SeverityName(3), "error");
  EXPECT_STREQ(SeverityName(4), "fatal");
  EXPECT_STREQ(SeverityName(5), "");
  EXPECT_STREQ(SeverityName(0xFFFFFFFFu), "");
}

TEST_F(DiagnosticsTest, TheBannerIsShownOnceBeforeTheFirstDiagnostic) {
  linker.ClearFlag(Flag::BannerShown);
  testing::internal::CaptureStdout();
  Warning(linker, "first");
  Remark(linker, "second");
  ShowBanner(linker, true);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(linker.TestFlag(Flag::BannerShown));
  EXPECT_THAT(out, HasSubstr("ARM"));
  EXPECT_THAT(out, HasSubstr("4.2.0"));
  EXPECT_EQ(out.find("4.2.0"), out.rfind("4.2.0")) << out;
  // The banner is printed, never collected.
  EXPECT_THAT(linker.diagnostics, ElementsAre("warning: first", "remark: second"));
}

TEST_F(DiagnosticsTest, NoBannerWhenQuietOrNotAsked) {
  linker.ClearFlag(Flag::BannerShown);
  testing::internal::CaptureStdout();
  ShowBanner(linker, false);
  linker.verbosity = 0;
  Warning(linker, "quiet");
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, "");
  EXPECT_FALSE(linker.TestFlag(Flag::BannerShown));
  EXPECT_EQ(linker.diagnostics.size(), 1u);
}

TEST_F(DiagnosticsDeathTest, FatalEndsTheRunWithStatus100) {
  EXPECT_EXIT(Fatal(linker, "no input %s", "files"), ExitedWithCode(100), testing::Eq("\nerror: no input files\n"));
  // Fatal errors ignore the severity table and do not wait for the end.
  linker.severityTable[SeverityError] = SeverityNone;
  EXPECT_EXIT(Fatal(linker, "x=%d", 42), ExitedWithCode(100), testing::Eq("\nerror: x=42\n"));
}

TEST_F(DiagnosticsDeathTest, FatalShowsTheBannerFirstWhenDue) {
  linker.ClearFlag(Flag::BannerShown);
  // The banner goes to the standard output; join it to the error stream so
  // that the order of the two can be seen.
  EXPECT_EXIT(
      {
        dup2(2, 1);
        Fatal(linker, "stop");
      },
      ExitedWithCode(100),
      testing::AllOf(testing::Not(testing::StartsWith("\nerror")), HasSubstr("ARM"), HasSubstr("4.2.0"), testing::EndsWith("\nerror: stop\n")));
}

TEST_F(DiagnosticsDeathTest, FailedAssertionEndsTheRunWithStatus100) {
  EXPECT_EXIT(Assert(false, "internal error: %s broke", "it"), ExitedWithCode(100),
              testing::Eq("\nassertion failure: internal error: it broke\n"));
}

TEST_F(DiagnosticsDeathTest, AssertionWorksBeforeTheLinkerExists) {
  theLinker = nullptr;
  EXPECT_EXIT(Assert(1 + 1 == 3, "early %s", "failure"), ExitedWithCode(100),
              testing::Eq("\nassertion failure: early failure\n"));
}

TEST_F(DiagnosticsDeathTest, FatalKeepsTheOutputFile) {
  std::string output = testing::TempDir() + "diagnostics_test_fatal.elf";
  std::ofstream(output) << "partial";
  linker.outputFileName = output;
  Error(linker, "counted first");
  EXPECT_EXIT(Fatal(linker, "then fatal"), ExitedWithCode(100), HasSubstr("\nerror: then fatal\n"));
  EXPECT_TRUE(std::ifstream(output).good());
  std::remove(output.c_str());
}

TEST_F(DiagnosticsTest, PassingAssertionDoesNothing) {
  Assert(true, "never shown");
  EXPECT_TRUE(linker.diagnostics.empty());
  EXPECT_EQ(linker.diagnosticCounts, (Counts{0, 0, 0, 0, 0}));
}

} // namespace
