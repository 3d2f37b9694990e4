// Grouping of sections into initialization entries: contiguous runs by
// address, whatever order the sections come in.
#include "init/init_table.h"

#include <gtest/gtest.h>

#include <memory>

namespace tanrek {
namespace {

class InitRunsTest : public ::testing::Test {
protected:
  Locatable *Section(uint32_t address, uint32_t size) {
    auto section = std::make_unique<LinkSection>(".data", kShtProgbits, kShfAlloc | kShfWrite, size, 1);
    section->sh_addr = address;
    sections.push_back(std::move(section));
    return sections.back().get();
  }

  std::vector<std::unique_ptr<LinkSection>> sections;
};

TEST_F(InitRunsTest, AdjacentSectionsShareAnEntryAndAGapStartsANewOne) {
  Locatable *third = Section(0x1020, 4);
  Locatable *first = Section(0x1000, 0x10);
  Locatable *second = Section(0x1010, 8);
  std::vector<InitEntry> runs = GroupIntoRuns({third, first, second}, InitCopy);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].sections, (std::vector<Locatable *>{first, second}));
  EXPECT_EQ(runs[0].Start(), 0x1000u);
  EXPECT_EQ(runs[0].Size(), 0x18u);
  EXPECT_EQ(runs[1].sections, (std::vector<Locatable *>{third}));
  EXPECT_EQ(runs[1].Size(), 4u);
  EXPECT_EQ(runs[1].method, uint32_t(InitCopy));
}

TEST_F(InitRunsTest, EmptySectionsNeitherFormNorSplitARun) {
  Locatable *empty = Section(0x2000, 0);
  EXPECT_TRUE(GroupIntoRuns({empty}, InitZero).empty());

  // An empty section at the end of a run does not move the run's end.
  Locatable *a = Section(0x3000, 8);
  Locatable *marker = Section(0x3008, 0);
  Locatable *b = Section(0x3008, 8);
  std::vector<InitEntry> runs = GroupIntoRuns({marker, b, a}, InitZero);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].sections, (std::vector<Locatable *>{a, b}));
  EXPECT_EQ(runs[0].Size(), 16u);
}

TEST_F(InitRunsTest, SectionsAtTheSameAddressKeepTheirOrder) {
  // Overlapping sections (placed by address on purpose) start new runs;
  // equal addresses keep the order they were given in.
  Locatable *a = Section(0x4000, 4);
  Locatable *b = Section(0x4000, 4);
  std::vector<InitEntry> runs = GroupIntoRuns({a, b}, InitCopy);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].sections.front(), a);
  EXPECT_EQ(runs[1].sections.front(), b);
}

} // namespace
} // namespace tanrek
