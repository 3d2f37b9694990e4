// The link pipeline: running and gating phases, their log headlines, the
// placement test, the whole sequence of a link, and the warning about
// double-precision run-time routines.
#include "arm/arm_linker.h"
#include "driver/diagnostics.h"
#include "driver/log.h"
#include "driver/options.h"

#include "test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace tanrek;
using testing_support::CaptureLog;
using testing::ElementsAre;

namespace {

using Titles = std::vector<std::string>;

// The titles of the headline boxes in a log text, in order.
Titles HeadlineTitles(const std::string &log) {
  Titles titles;
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find('\n', start);
    if (end == std::string::npos)
      end = log.size();
    std::string line = log.substr(start, end - start);
    start = end + 1;
    if (line.size() != 87 || line.compare(0, 4, "*** ") != 0 || line.compare(83, 4, " ***") != 0)
      continue;
    size_t first = line.find_first_not_of(' ', 4);
    if (first >= 83)
      continue; // the blank line of the box
    size_t last = line.find_last_not_of(' ', 82);
    titles.push_back(line.substr(first, last - first + 1));
  }
  return titles;
}

// The headlines of a link with the default flags of an Arm link, in order.
const Titles kDefaultLink = {
    "Parse script", "Ingest", "Wrap symbols", "Find sections", "Keep inputs", // 1-5
    "Define symbols", "Find sections", "Rewrite headers",                     // 6-8
    "Check allocatable", "Merge sections", "Merge strings",                   // 10-12
    "Analyze attributes", "Reference counting",                               // 15, 16
    "Auto-at sections", "Select inputs", "Pad sections", "Assign init methods", // 19-22
    "Sort inputs", "Size and alignment", "Dump Script tasks", "Internal linker script", "Placement", // 23-26
    "Normalize relocations",                                                  // 27
    "Construct veneers", "Relocate image", "Synthetic sections", "Relocate image", // 33-36
    "Create block symbols", "Thread-local storage", "Relocate image",         // 40-42
    "Warn unintended double", "Make inittab", "Make block symbols",           // 44-46
    "Relocate image", "Region symbols", "Relocate image",                     // 51-53
    "Fill regions", "Combine debug", "Create attributes",                     // 55-57
    "Print map", "Run assertions", "Write image", "Empty selects",             // 59-62
};

class PipelineTest : public testing_support::LinkerTest {
protected:
  void SetUp() override {
    LinkerTest::SetUp();
    linker.outputFileName = "/dev/null";
  }

  // Makes "Warn unintended double" an observable phase: each run of it adds
  // one warning.
  void UseProbe() {
    linker.doubleWarningMode = 1;
    linker.imageSymbols.insert(&probeSymbol);
  }
  uint32_t ProbeRuns() const { return linker.diagnosticCounts[SeverityWarning]; }
  static constexpr BaseLinker::Phase kProbe = &BaseLinker::WarnUnintendedDouble;

  Titles LinkTitles() {
    linker.scriptFiles.push_back(ScriptText{"test.icf", ""});
    linker.PrepareOutputImage();
    return HeadlineTitles(CaptureLog([&] { linker.Link(); }));
  }

  Symbol probeSymbol = [] {
    Symbol symbol;
    symbol.name = "__aeabi_dadd";
    return symbol;
  }();
};

using PipelineDeathTest = PipelineTest;

// --- Running one phase ---------------------------------------------------

TEST_F(PipelineTest, NamedPhaseWritesItsHeadline) {
  UseProbe();
  std::string log = CaptureLog([&] { linker.RunPhase(kProbe, "Probe phase"); });
  EXPECT_THAT(HeadlineTitles(log), ElementsAre("Probe phase"));
  EXPECT_EQ(log.substr(0, 2), "\n\n");
  EXPECT_EQ(ProbeRuns(), 1u);
  EXPECT_EQ(theLog.depth, 0u);
}

TEST_F(PipelineTest, UnnamedPhaseRunsWithoutHeadline) {
  UseProbe();
  EXPECT_EQ(CaptureLog([&] { linker.RunPhase(kProbe, nullptr); }), "");
  EXPECT_EQ(ProbeRuns(), 1u);
}

TEST_F(PipelineTest, PhasesRunWithoutALog) {
  UseProbe();
  theLog.stream = nullptr;
  linker.RunPhase(kProbe, "Silent");
  EXPECT_EQ(ProbeRuns(), 1u);
  EXPECT_EQ(theLog.depth, 0u);
}

TEST_F(PipelineTest, StopLinkSkipsEveryLaterPhase) {
  UseProbe();
  std::string log = CaptureLog([&] {
    linker.RunPhase(&BaseLinker::StopLinking, "Stopping");
    linker.RunPhase(kProbe, "After");
    linker.RunPhase(kProbe, nullptr);
    linker.RunPhaseIf(true, kProbe, "After if");
    linker.RunPhaseIfFlag(Flag::MergeSections, kProbe, "After flag");
    linker.RunPhaseIfFeature(Feature::Veneers, kProbe, "After feature");
  });
  EXPECT_THAT(HeadlineTitles(log), ElementsAre("Stopping"));
  EXPECT_EQ(ProbeRuns(), 0u);
  EXPECT_TRUE(linker.TestFlag(Flag::StopLink));
}

TEST_F(PipelineTest, GatesOfConditionFlagAndFeature) {
  UseProbe();
  std::string log = CaptureLog([&] {
    linker.RunPhaseIf(false, kProbe, "False condition");
    linker.RunPhaseIf(true, kProbe, "True condition");
    linker.RunPhaseIfFlag(Flag::DedupeCode, kProbe, "Flag off");
    linker.RunPhaseIfFlag(Flag::MergeStrings, kProbe, "Flag on");
    linker.RunPhaseIfFeature(Feature::SpringboardCalls, kProbe, "Feature absent");
    linker.RunPhaseIfFeature(Feature::Outlining, kProbe, "Feature absent too");
    linker.RunPhaseIfFeature(Feature::BuildAttributes, kProbe, "Feature present");
  });
  EXPECT_THAT(HeadlineTitles(log), ElementsAre("True condition", "Flag on", "Feature present"));
  EXPECT_EQ(ProbeRuns(), 3u);
}

TEST_F(PipelineTest, PlacementIsIncompleteWhileSomethingLacksAnAddress) {
  EXPECT_FALSE(linker.PlacementIncomplete());

  LinkSection placed(".text.placed", 1), unplaced(".text.unplaced", 2);
  placed.Map(0x100);
  unplaced.state = StateQueued | StateLinkOrdered;
  linker.sectionsToPlace.insert(&placed);
  EXPECT_FALSE(linker.PlacementIncomplete());
  linker.sectionsToPlace.insert(&unplaced);
  EXPECT_TRUE(linker.PlacementIncomplete());
  unplaced.Map(0x200);
  EXPECT_FALSE(linker.PlacementIncomplete());

  LinkBlock block(BlockDefined, "RAM");
  linker.mappedBlocks.insert(&block);
  EXPECT_TRUE(linker.PlacementIncomplete());
  block.Map(0x20000000);
  EXPECT_FALSE(linker.PlacementIncomplete());
  linker.sectionsToPlace.clear();
  linker.mappedBlocks.clear();
}

// --- The whole link ------------------------------------------------------

// The order of every headline of a whole link is checked on the program
// itself, through its log file; here only the stop after an incomplete
// placement, which no input can cause yet.
TEST_F(PipelineTest, LinkStopsAfterTheMapWhenPlacementIsIncomplete) {
  LinkSection lost(".data.lost", 1);
  lost.sh_flags = kShfAlloc;
  linker.sectionsToPlace.insert(&lost);
  Titles expected(kDefaultLink.begin(), std::find(kDefaultLink.begin(), kDefaultLink.end(), "Construct veneers"));
  for (const char *title : {"Create block symbols", "Region symbols", "Unplaced sections", "Print map"})
    expected.push_back(title);
  EXPECT_EQ(LinkTitles(), expected);
  EXPECT_TRUE(linker.TestFlag(Flag::StopLink));
  linker.sectionsToPlace.clear();
}

TEST_F(PipelineDeathTest, LinkWithoutAScriptIsFatal) {
  EXPECT_EXIT(linker.Link(), testing::ExitedWithCode(100), testing::HasSubstr("\nerror: no linker script\n"));
}

// --- Warn unintended double ----------------------------------------------

class DoubleWarningTest : public PipelineTest {
protected:
  // Symbols in creation (serial) order, entered into the image backwards.
  void AddImageSymbols(const std::vector<std::string> &names) {
    for (const std::string &name : names) {
      symbols.push_back(std::make_unique<Symbol>());
      symbols.back()->name = linker.SaveString(name);
    }
    for (auto it = symbols.rbegin(); it != symbols.rend(); ++it)
      linker.imageSymbols.insert(it->get());
  }
  void TearDown() override {
    linker.imageSymbols.clear();
    PipelineTest::TearDown();
  }
  std::vector<std::unique_ptr<Symbol>> symbols;
};

TEST_F(DoubleWarningTest, ModesChooseTheRoutinesAndTheOptionNamed) {
  AddImageSymbols({"__aeabi_dmul", "main", "__aeabi_d2f", "__aeabi_f2d", "__aeabi_fadd", "__aeabi_dadd",
                   "__aeabi_dadd_x", "aeabi_ddiv"});
  linker.WarnUnintendedDouble();
  EXPECT_TRUE(linker.diagnostics.empty());

  linker.doubleWarningMode = 1;
  linker.WarnUnintendedDouble();
  EXPECT_THAT(linker.diagnostics,
              ElementsAre("warning: 'double' runtime function '__aeabi_dmul' is required [--warn-unintended-double]",
                          "warning: 'double' runtime function '__aeabi_dadd' is required [--warn-unintended-double]"));

  linker.diagnostics.clear();
  linker.doubleWarningMode = 2;
  linker.WarnUnintendedDouble();
  EXPECT_THAT(linker.diagnostics,
              ElementsAre("warning: 'double' runtime function '__aeabi_dmul' is required [--warn-any-double]",
                          "warning: 'double' runtime function '__aeabi_d2f' is required [--warn-any-double]",
                          "warning: 'double' runtime function '__aeabi_f2d' is required [--warn-any-double]",
                          "warning: 'double' runtime function '__aeabi_dadd' is required [--warn-any-double]"));
}

TEST_F(DoubleWarningTest, EveryDoubleRoutineIsNamed) {
  const std::vector<std::string> routines = {
      "__aeabi_dadd",   "__aeabi_dsub",   "__aeabi_drsub",   "__aeabi_dmul",    "__aeabi_ddiv",  "__aeabi_dcmpeq",
      "__aeabi_dcmpne", "__aeabi_dcmplt", "__aeabi_dcmple",  "__aeabi_dcmpge",  "__aeabi_dcmpun", "__aeabi_cdcmpeq",
      "__aeabi_cdcmple", "__aeabi_cdrcmple", "__aeabi_d2iz", "__aeabi_d2uiz",   "__aeabi_d2lz",  "__aeabi_d2ulz",
      "__aeabi_i2d",    "__aeabi_ui2d",   "__aeabi_l2d",     "__aeabi_ul2d"};
  AddImageSymbols(routines);
  Parse({"--warn-unintended-double"});
  std::string log = CaptureLog([&] { linker.RunPhase(&BaseLinker::WarnUnintendedDouble, "Warn unintended double"); });
  std::vector<std::string> expected;
  for (const std::string &name : routines)
    expected.push_back("warning: 'double' runtime function '" + name + "' is required [--warn-unintended-double]");
  EXPECT_EQ(linker.diagnostics, expected);
  EXPECT_EQ(linker.diagnosticCounts[SeverityWarning], routines.size());
  EXPECT_THAT(HeadlineTitles(log), ElementsAre("Warn unintended double"));
}

} // namespace
