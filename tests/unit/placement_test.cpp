// Placement: first fit with alignment, auto-at addresses, place in over
// several regions with first and last items, place at (also at the end of
// an address), and the explanation of items that found no place.
#include "placement/placement.h"
#include "script/script_task.h"
#include "test_support.h"

#include <gmock/gmock.h>

#include <cstdlib>
#include <memory>

namespace tanrek {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing_support::CaptureLog;
using testing_support::FatalMessage;
using testing_support::LinkerTest;

RangeList List(std::initializer_list<AddressRange> ranges) { return RangeList{std::vector<AddressRange>(ranges)}; }

TEST(FindSpaceTest, AlignmentSkipStaysFreeForASmallerItem) {
  RangeList free = List({{0x104, 0x10}});
  auto first = FindSpace(free, 4, 8);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->start, 0x108u);
  SubtractFromSeparate(free, *first);
  auto second = FindSpace(free, 4, 4);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->start, 0x104u);
}

TEST(FindSpaceTest, AlignmentCanPushAnItemIntoALaterRange) {
  // 8 bytes fit in the first range, but not at an address aligned to 16.
  RangeList free = List({{0x104, 0xC}, {0x200, 0x100}});
  EXPECT_EQ(FindSpace(free, 8, 1)->start, 0x104u);
  EXPECT_EQ(FindSpace(free, 8, 16)->start, 0x200u);
  EXPECT_FALSE(FindSpace(free, 0x101, 1));
  EXPECT_FALSE(FindSpace(RangeList{}, 0, 1));
}

TEST(FindSpaceTest, ZeroSizeTakesTheAlignedStartOfTheFirstRange) {
  RangeList free = List({{0x101, 2}, {0x200, 0x100}});
  auto found = FindSpace(free, 0, 4);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->start, 0x104u);
  EXPECT_EQ(found->size, 0u);
}

TEST(FindSpaceTest, RangeEndingAtTheTopOfMemory) {
  RangeList free = List({{0xFFFFFF00, 0x100}});
  EXPECT_EQ(FindSpace(free, 0x80, 0x80)->start, 0xFFFFFF00u);
  EXPECT_FALSE(FindSpace(List({{0xFFFFFFF1, 0xF}}), 8, 16));
}

// The candidate space remembers pieces too small for a class of sizes; it
// must still give exactly the first fit.
TEST(FindSpaceTest, CandidateSpaceGivesTheSameFirstFit) {
  std::srand(7);
  RangeList plain = List({{0x100, 0x2000}, {0x3000, 0x40}, {0x4000, 0x10000}});
  CandidateSpace space(plain);
  for (int i = 0; i < 3000; ++i) {
    uint32_t size = uint32_t(std::rand() % 40);
    uint32_t alignment = 1u << (std::rand() % 5);
    auto expected = FindSpace(plain, size, alignment);
    auto found = space.Find(size, alignment);
    ASSERT_EQ(bool(expected), bool(found)) << i;
    if (!expected)
      continue;
    ASSERT_EQ(expected->start, found->start) << i;
    SubtractFromSeparate(plain, *expected);
    space.Take(*found);
  }
  EXPECT_EQ(LongText(plain), LongText(space.Ranges()));
}

TEST(AutoAtAddressTest, AutomaticBaseStopsAtTheFirstInvalidCharacter) {
  EXPECT_EQ(AutoAtAddress("0x8000"), 0x8000u);
  EXPECT_EQ(AutoAtAddress("0X1fG"), 0x1Fu);
  EXPECT_EQ(AutoAtAddress("0100"), 64u);
  EXPECT_EQ(AutoAtAddress("0109"), 8u);
  EXPECT_EQ(AutoAtAddress("4096_table"), 4096u);
  EXPECT_EQ(AutoAtAddress("x"), 0u);
}

class PlacementTest : public LinkerTest {
protected:
  void SetUp() override {
    LinkerTest::SetUp();
    linker.memory = std::make_unique<Memory>();
  }
  void TearDown() override {
    linker.mappedBlocks.clear();
    LinkerTest::TearDown();
  }

  LinkSection &Item(const std::string &name, uint32_t size, uint32_t alignment = 1) {
    items.push_back(std::make_unique<LinkSection>(name, kShtProgbits, kShfAlloc, size, alignment));
    return *items.back();
  }
  PlaceInTask &PlaceIn(std::vector<RangeList> regions, std::vector<LinkSection *> members) {
    blocks.push_back(std::make_unique<LinkBlock>(BlockPlaceIn, "p" + std::to_string(blocks.size())));
    LinkBlock &block = *blocks.back();
    for (LinkSection *member : members) {
      block.members.push_back(member);
      member->selectedBy = &block;
    }
    tasks.push_back(std::make_unique<PlaceInTask>(&block));
    auto &task = static_cast<PlaceInTask &>(*tasks.back());
    task.regions = std::move(regions);
    return task;
  }

  std::vector<std::unique_ptr<LinkSection>> items;
  std::vector<std::unique_ptr<LinkBlock>> blocks;
  std::vector<std::unique_ptr<ScriptTask>> tasks;
};

TEST_F(PlacementTest, RegionsThenOnlyWhatDidNotFit) {
  LinkSection &a = Item("a", 0x60), &b = Item("b", 0x60), &c = Item("c", 0x20);
  PlaceInTask &task = PlaceIn({List({{0x1000, 0x80}}), List({{0x2000, 0x100}})}, {&a, &b, &c});
  std::string log = CaptureLog([&] {
    LogIndent();
    task.PlaceIn(linker);
  });
  EXPECT_EQ(a.Address(), 0x1000u);
  EXPECT_EQ(b.Address(), 0x2000u);
  EXPECT_EQ(c.Address(), 0x1060u); // member order, but c still fits in the first region
  EXPECT_EQ(log, "  Executing place in [0x00001000 to 0x0000107f] (3 inputs selected)\n"
                 "  Candidate regions: [0x00001000 to 0x0000107f]\n"
                 "  Allocate 00001000-0000105f to section a from [ Linker created ]\n"
                 "  Allocate 00001060-0000107f to section c from [ Linker created ]\n"
                 "  Executing place in [0x00002000 to 0x000020ff] (3 inputs selected)\n"
                 "  Candidate regions: [0x00002000 to 0x000020ff]\n"
                 "  Allocate 00002000-0000205f to section b from [ Linker created ]\n");
  EXPECT_EQ(LongText(linker.placementRanges), "[0x00001000 to 0x0000107f] + [0x00002000 to 0x000020ff]");
  EXPECT_FALSE(linker.memory->free.Contains(0x1000));
  EXPECT_TRUE(linker.memory->used.Contains(0x205F));
}

TEST_F(PlacementTest, FirstItemsBelowTheRestAndLastItemsAboveEverything) {
  // The first item's alignment leaves free memory below it, which the
  // rest must not take.
  LinkSection &low = Item("low", 0x10), &first = Item("first", 0x10, 0x100), &mid = Item("mid", 0x10),
              &last = Item("last", 0x10);
  PlaceInTask &task = PlaceIn({List({{0x1010, 0x1000}})}, {&low, &first, &mid, &last});
  task.block->placedFirst = {&first};
  task.block->placedLast = {&last};
  task.PlaceIn(linker);
  EXPECT_EQ(first.Address(), 0x1100u);
  EXPECT_EQ(low.Address(), 0x1110u);
  EXPECT_EQ(mid.Address(), 0x1120u);
  EXPECT_EQ(last.Address(), 0x1130u);

  // With nothing between them, the last items still go above the first.
  LinkSection &f2 = Item("f2", 8), &l2 = Item("l2", 8);
  PlaceInTask &edges = PlaceIn({List({{0x4000, 0x100}})}, {&l2, &f2});
  edges.block->placedFirst = {&f2};
  edges.block->placedLast = {&l2};
  edges.PlaceIn(linker);
  EXPECT_EQ(f2.Address(), 0x4000u);
  EXPECT_EQ(l2.Address(), 0x4008u);
}

TEST_F(PlacementTest, PlaceAtEndAndOverlappingPlaceAt) {
  LinkBlock block(BlockPlaceAt, "end");
  block.size = 0x100;
  PlaceAtTask atEnd(&block, 0x2000, true);
  atEnd.PlaceAt(linker);
  EXPECT_EQ(block.Address(), 0x1F00u);
  EXPECT_FALSE(linker.memory->free.Contains(AddressRange{0x1F00, 0x100}));

  LinkBlock clash(BlockPlaceAt, "clash");
  clash.size = 0x10;
  PlaceAtTask overlapping(&clash, 0x1FF8, false);
  EXPECT_EQ(FatalMessage([&] { overlapping.PlaceAt(linker); }),
            "error: can't place 'place at' block clash at [0x00001ff8 to 0x00002007]");
}

TEST_F(PlacementTest, PlaceAtRangesThatLeaveTheAddressSpace) {
  LinkBlock block(BlockPlaceAt, "b");
  block.size = 0x200;
  PlaceAtTask top(&block, 0xFFFFFF00, false);
  EXPECT_EQ(FatalMessage([&] { top.PlaceAt(linker); }), "error: can't place 'place at' block b at [0xffffff00 to 0x000000ff]");
  PlaceAtTask below(&block, 0x100, true);
  EXPECT_EQ(FatalMessage([&] { below.PlaceAt(linker); }), "error: can't place 'place at' block b at [0xffffff00 to 0x000000ff]");
  EXPECT_EQ(LongText(linker.memory->free), "[0x00000000 to 0xfffffffe]");
}

TEST_F(PlacementTest, ExplainsEachRegionOfAStatementThatHoldsTheItem) {
  LinkSection &big = Item("big", 0x90), &filler = Item("filler", 0x40);
  PlaceInTask &task = PlaceIn({List({{0x1000, 0x40}}), List({{0x2000, 0x80}})}, {&filler, &big});
  task.PlaceIn(linker);
  ASSERT_FALSE(big.IsMapped());
  task.ExplainUnplaced(linker, big);
  task.ExplainUnplaced(linker, Item("elsewhere", 4));
  EXPECT_THAT(linker.diagnostics,
              ElementsAre("error:   place in [0x00001000 to 0x0000103f]: region is full",
                          "error:   place in [0x00002000 to 0x0000207f]: largest free block is 128 bytes, need 16 "
                          "bytes more",
                          "error:   try using a different sort order or place the most constrained objects before "
                          "any others"));
}

} // namespace
} // namespace tanrek
