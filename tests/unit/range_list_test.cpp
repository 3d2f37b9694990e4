// Range list arithmetic: ranges are never merged, unions may overlap, splits
// and subtractions keep the pieces placement allocates from, and the top of
// the 32-bit address space wraps without corrupting a list.
#include "script/range_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <cstdio>
#include <initializer_list>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace tanrek {
namespace {

// A list made directly from (start, last byte) pairs, bypassing Union.
RangeList Make(std::initializer_list<std::pair<uint32_t, uint32_t>> firstLast) {
  RangeList list;
  for (auto [first, last] : firstLast)
    list.ranges.push_back(AddressRange{first, last - first + 1});
  return list;
}

// "start-last" per range, separated by blanks; independent of the printed
// forms under test.
std::string Shape(const RangeList &list) {
  std::string text;
  for (const AddressRange &range : list.ranges) {
    char piece[32];
    std::snprintf(piece, sizeof piece, "%x-%x", range.start, range.Last());
    if (!text.empty())
      text += ' ';
    text += piece;
  }
  return text;
}

AddressRange FromTo(uint32_t first, uint32_t last) { return AddressRange{first, last - first + 1}; }

TEST(RangeListTest, AdjacentRangesStaySeparate) {
  RangeList list;
  Union(list, FromTo(0x100, 0x1FF));
  Union(list, FromTo(0, 0xFF));
  EXPECT_EQ(Shape(list), "0-ff 100-1ff");
  EXPECT_EQ(LongText(list), "[0x00000000 to 0x000000ff] + [0x00000100 to 0x000001ff]");
  EXPECT_EQ(ShortText(list), "00000000-000000ff+00000100-000001ff");
  EXPECT_EQ(list.Lowest(), 0u);
  EXPECT_EQ(list.After(), 0x200u);
  EXPECT_EQ(list.Span(), 0x200u);

  // The span counts holes; the address after is the last range's.
  Union(list, FromTo(0x1000, 0x10FF));
  EXPECT_EQ(list.After(), 0x1100u);
  EXPECT_EQ(list.Span(), 0x1100u);
  Union(list, FromTo(0x80, 0x8F));
  EXPECT_EQ(Shape(list), "0-ff 100-1ff 1000-10ff");
  EXPECT_EQ(LongText(AddressRange{0x1000, 0}), "[0x00001000 size 0]");
  EXPECT_EQ(LongText(AddressRange{0xABCDEF00, 0x100}), "[0xabcdef00 to 0xabcdefff]");
}

TEST(RangeListTest, UnionKeepsOverlapsAndSwallowsRangesEndingWithinTheNewOne) {
  RangeList list = Make({{0, 0x1FF}});
  Union(list, FromTo(0x100, 0x2FF));
  EXPECT_EQ(Shape(list), "0-1ff 100-2ff");
  list = Make({{0x100, 0x2FF}});
  Union(list, FromTo(0, 0x1FF));
  EXPECT_EQ(Shape(list), "0-1ff 100-2ff");

  // Later ranges that end within the new one go; the first that ends beyond
  // it stops the sweep, even though a range after it ends within again.
  list = Make({{0x100, 0x1FF}, {0x300, 0x3FF}, {0x500, 0x5FF}});
  Union(list, FromTo(0x80, 0x3FF));
  EXPECT_EQ(Shape(list), "80-3ff 500-5ff");
  list = Make({{0x100, 0x1FF}, {0x180, 0x4FF}, {0x300, 0x3FF}});
  Union(list, FromTo(0x80, 0x3FF));
  EXPECT_EQ(Shape(list), "80-3ff 180-4ff 300-3ff");
  // A range with the same start goes before the existing one and swallows it.
  list = Make({{0x100, 0x1FF}});
  Union(list, FromTo(0x100, 0x2FF));
  EXPECT_EQ(Shape(list), "100-2ff");

  // Containment is decided by the first range ending at or above the new
  // start; a later range that covers the new one does not make it redundant.
  list = Make({{0, 0x10F}, {0x100, 0x2FF}});
  Union(list, FromTo(0x100, 0x1FF));
  EXPECT_EQ(Shape(list), "0-10f 100-1ff 100-2ff");

  // Contained and empty ranges change nothing.
  list = Make({{0, 0xFFF}});
  Union(list, FromTo(0x100, 0x1FF));
  Union(list, FromTo(0, 0xFFF));
  Union(list, AddressRange{0x2000, 0});
  EXPECT_EQ(Shape(list), "0-fff");

  // A list is united range by range, in its order; with itself nothing changes.
  list = Make({{0x1000, 0x1FFF}});
  Union(list, Make({{0x800, 0x8FF}, {0x900, 0x9FF}, {0x1100, 0x11FF}, {0x3000, 0x3FFF}}));
  EXPECT_EQ(Shape(list), "800-8ff 900-9ff 1000-1fff 3000-3fff");
  Union(list, list);
  EXPECT_EQ(Shape(list), "800-8ff 900-9ff 1000-1fff 3000-3fff");
}

TEST(RangeListTest, SubtractCutsAndRemoves) {
  RangeList list = Make({{0, 0xFFF}});
  Subtract(list, FromTo(0x100, 0x1FF));
  EXPECT_EQ(Shape(list), "0-ff 200-fff");
  EXPECT_EQ(LongText(list), "[0x00000000 to 0x000000ff] + [0x00000200 to 0x00000fff]");

  list = Make({{0, 0xFFF}});
  Subtract(list, FromTo(0, 0xFF));
  EXPECT_EQ(Shape(list), "100-fff");
  Subtract(list, FromTo(0xF00, 0xFFF));
  EXPECT_EQ(Shape(list), "100-eff");

  // Across several ranges: the edge ranges are cut, the inner one goes.
  list = Make({{0, 0xFF}, {0x100, 0x1FF}, {0x200, 0x2FF}});
  Subtract(list, FromTo(0x80, 0x27F));
  EXPECT_EQ(Shape(list), "0-7f 280-2ff");

  // Everything, exactly or with a margin.
  list = Make({{0, 0xFF}, {0x100, 0x1FF}});
  Subtract(list, FromTo(0, 0x1FF));
  EXPECT_TRUE(list.Empty());
  list = Make({{0x10, 0xFF}, {0x100, 0x1FF}});
  Subtract(list, FromTo(0, 0x2FF));
  EXPECT_TRUE(list.Empty());

  // Nothing: a range in a hole or outside, touching edges, or empty.
  list = Make({{0, 0xFF}, {0x200, 0x2FF}});
  Subtract(list, FromTo(0x100, 0x1FF));
  Subtract(list, FromTo(0x300, 0x3FF));
  Subtract(list, AddressRange{0x80, 0});
  EXPECT_EQ(Shape(list), "0-ff 200-2ff");

  // A list is subtracted range by range; from itself it leaves nothing.
  list = Make({{0, 0xFFF}});
  Subtract(list, Make({{0x100, 0x1FF}, {0x300, 0x3FF}}));
  EXPECT_EQ(Shape(list), "0-ff 200-2ff 400-fff");
  Subtract(list, list);
  EXPECT_TRUE(list.Empty());
}

TEST(RangeListTest, IntersectKeepsPiecesInsideTheOtherList) {
  RangeList list = Make({{0, 0xFFF}});
  Intersect(list, Make({{0x800, 0x17FF}}));
  EXPECT_EQ(Shape(list), "800-fff");

  // Adjacent ranges of either list stay separate pieces.
  list = Make({{0, 0xFFF}});
  Intersect(list, Make({{0x100, 0x1FF}, {0x200, 0x2FF}, {0x2000, 0x20FF}}));
  EXPECT_EQ(Shape(list), "100-1ff 200-2ff");
  list = Make({{0, 0xFF}, {0x100, 0x1FF}});
  Intersect(list, Make({{0x80, 0x17F}}));
  EXPECT_EQ(Shape(list), "80-ff 100-17f");

  list = Make({{0, 0xFF}, {0x200, 0x2FF}});
  Intersect(list, list);
  EXPECT_EQ(Shape(list), "0-ff 200-2ff");
  Intersect(list, Make({{0x100, 0x1FF}}));
  EXPECT_TRUE(list.Empty());
  list = Make({{0, 0xFF}});
  Intersect(list, RangeList{});
  EXPECT_TRUE(list.Empty());
}

TEST(RangeListTest, SplitCutsOnlyTheLastRangeHoldingTheAddress) {
  const RangeList original = Make({{0x100, 0x1FF}, {0x300, 0x3FF}});
  for (uint32_t at : {0u, 0x50u, 0x100u, 0x200u, 0x280u, 0x300u, 0x400u, 0x1000u, 0xFFFFFFFFu}) {
    RangeList list = original;
    SplitAt(list, at);
    EXPECT_EQ(Shape(list), Shape(original)) << std::hex << at;
  }
  RangeList list = original;
  SplitAt(list, 0x180);
  EXPECT_EQ(Shape(list), "100-17f 180-1ff 300-3ff");
  SplitAt(list, 0x180);
  EXPECT_EQ(Shape(list), "100-17f 180-1ff 300-3ff");

  // Overlapping lists: the walk from the top acts on the first range that
  // starts, ends or is cut at the address, and leaves earlier ones whole.
  list = Make({{0, 0x1FF}, {0x100, 0x2FF}});
  SplitAt(list, 0x180);
  EXPECT_EQ(Shape(list), "0-1ff 100-17f 180-2ff");
  list = Make({{0, 0x2FF}, {0x100, 0x17F}});
  SplitAt(list, 0x180);
  EXPECT_EQ(Shape(list), "0-2ff 100-17f");
}

TEST(RangeListTest, EmptyListQueries) {
  RangeList list;
  EXPECT_EQ(list.Lowest(), 0u);
  EXPECT_EQ(list.After(), 0u);
  EXPECT_EQ(list.Span(), 0u);
  EXPECT_FALSE(list.Contains(0u));
  EXPECT_FALSE(list.Contains(AddressRange{0, 1}));
  EXPECT_FALSE(list.Contains(AddressRange{0, 0}));
  EXPECT_EQ(LongText(list), "[]");
  EXPECT_EQ(ShortText(list), "[]");
  SplitAt(list, 0x100);
  Subtract(list, FromTo(0, 0xFF));
  Intersect(list, Make({{0, 0xFF}}));
  Union(list, AddressRange{0x100, 0});
  EXPECT_TRUE(list.Empty());
}

TEST(RangeListTest, ContainsAtTheEdges) {
  const RangeList list = Make({{0x100, 0x1FF}, {0x200, 0x2FF}, {0x400, 0x4FF}});
  for (uint32_t in : {0x100u, 0x1FFu, 0x200u, 0x2FFu, 0x400u, 0x4FFu})
    EXPECT_TRUE(list.Contains(in)) << std::hex << in;
  for (uint32_t out : {0u, 0xFFu, 0x300u, 0x3FFu, 0x500u, 0xFFFFFFFFu})
    EXPECT_FALSE(list.Contains(out)) << std::hex << out;

  EXPECT_TRUE(list.Contains(FromTo(0x100, 0x1FF)));
  EXPECT_TRUE(list.Contains(FromTo(0x180, 0x1FF)));
  EXPECT_TRUE(list.Contains(FromTo(0x4FF, 0x4FF)));
  EXPECT_FALSE(list.Contains(FromTo(0xFF, 0x100)));
  EXPECT_FALSE(list.Contains(FromTo(0x4FF, 0x500)));
  EXPECT_FALSE(list.Contains(FromTo(0x380, 0x47F)));
  // Adjacent ranges are separate pieces: nothing spans their border.
  EXPECT_FALSE(list.Contains(FromTo(0x100, 0x200)));
  EXPECT_FALSE(list.Contains(FromTo(0x1FF, 0x200)));
  // An empty range needs only its start inside.
  EXPECT_TRUE(list.Contains(AddressRange{0x1FF, 0}));
  EXPECT_TRUE(list.Contains(AddressRange{0x400, 0}));
  EXPECT_FALSE(list.Contains(AddressRange{0x300, 0}));
  EXPECT_FALSE(list.Contains(AddressRange{0x500, 0}));

  // An address inside a long range that an overlapping later range does not
  // reach is still contained.
  RangeList overlapping;
  Union(overlapping, FromTo(0, 0x10F));
  Union(overlapping, FromTo(0x50, 0x2FF));
  Union(overlapping, FromTo(0x100, 0x1FF));
  EXPECT_EQ(Shape(overlapping), "0-10f 50-2ff 100-1ff");
  EXPECT_TRUE(overlapping.Contains(0x250u));
  EXPECT_TRUE(overlapping.Contains(0x20u));
  EXPECT_FALSE(overlapping.Contains(0x300u));
  EXPECT_EQ(overlapping.After(), 0x200u);
}

TEST(RangeListTest, TopOfTheAddressSpace) {
  Memory memory;
  EXPECT_EQ(memory.name, "mem");
  EXPECT_TRUE(memory.used.Empty());
  EXPECT_EQ(LongText(memory.free), "[0x00000000 to 0xfffffffe]");
  EXPECT_EQ(memory.free.Span(), 0xFFFFFFFFu);
  EXPECT_TRUE(memory.free.Contains(0xFFFFFFFEu));
  EXPECT_FALSE(memory.free.Contains(0xFFFFFFFFu));

  // Ranges ending at 0xFFFFFFFF have address-after 0; splitting there is
  // harmless.
  RangeList free = Memory().free;
  Subtract(free, AddressRange{0xFFFFFF00, 0x100});
  EXPECT_EQ(Shape(free), "0-fffffeff");
  free = Memory().free;
  Subtract(free, AddressRange{1, 0xFFFFFFFF});
  EXPECT_EQ(Shape(free), "0-0");
  free = Memory().free;
  Subtract(free, AddressRange{0xFFFFF000, 0xFFF});
  EXPECT_EQ(Shape(free), "0-ffffefff");
  free = Memory().free;
  Subtract(free, AddressRange{0, 0x100});
  EXPECT_EQ(Shape(free), "100-fffffffe");
  Subtract(free, AddressRange{0x1000, 0x1000});
  Union(free, AddressRange{0x1000, 0x1000});
  EXPECT_EQ(Shape(free), "100-fff 1000-1fff 2000-fffffffe");

  RangeList top = Make({{0xFFFFFF00, 0xFFFFFFFF}});
  EXPECT_EQ(top.After(), 0u);
  EXPECT_EQ(top.Span(), 0x100u);
  EXPECT_EQ(ShortText(top), "ffffff00-ffffffff");
  EXPECT_TRUE(top.Contains(0xFFFFFFFFu));
  EXPECT_TRUE(top.Contains(AddressRange{0xFFFFFF00, 0x100}));
  Union(top, AddressRange{0xFFFFFFF0, 0x10});
  SplitAt(top, 0);
  EXPECT_EQ(Shape(top), "ffffff00-ffffffff");
  SplitAt(top, 0xFFFFFF80);
  EXPECT_EQ(Shape(top), "ffffff00-ffffff7f ffffff80-ffffffff");
  Subtract(top, AddressRange{0xFFFFFF80, 0x80});
  EXPECT_EQ(Shape(top), "ffffff00-ffffff7f");

  free = Memory().free;
  Intersect(free, Make({{0xFFFFFF00, 0xFFFFFFFF}}));
  EXPECT_EQ(Shape(free), "ffffff00-fffffffe");
  top = Make({{0xFFFFFF00, 0xFFFFFFFF}});
  Intersect(top, Memory().free);
  EXPECT_EQ(Shape(top), "ffffff00-fffffffe");
}

// Random lists of separate ranges (adjacent ones included) in a 64-byte
// window, checked against a byte-set model. Each range of the result must
// also be exactly the piece that a range-by-range model predicts.
constexpr uint32_t kWindow = 64;
using Bytes = std::bitset<kWindow>;

RangeList RandomPieces(std::mt19937 &random, uint32_t base) {
  RangeList list;
  uint32_t at = random() % 8;
  while (at < kWindow) {
    uint32_t size = 1 + random() % 12;
    if (at + size > kWindow)
      size = kWindow - at;
    list.ranges.push_back(AddressRange{base + at, size});
    at += size + (random() % 3 == 0 ? 0 : random() % 10);
    if (random() % 6 == 0)
      break;
  }
  return list;
}

Bytes BytesOf(const RangeList &list, uint32_t base) {
  Bytes bytes;
  for (const AddressRange &range : list.ranges)
    for (uint32_t i = 0; i < range.size; ++i)
      bytes.set(range.start + i - base);
  return bytes;
}

std::string ShapeOf(const std::vector<std::pair<uint32_t, uint32_t>> &pieces, uint32_t base) {
  RangeList list;
  for (auto [first, last] : pieces)
    list.ranges.push_back(AddressRange{base + first, last - first + 1});
  return Shape(list);
}

TEST(RangeListTest, SeparatePiecesMatchAByteModel) {
  for (uint32_t base : {0u, 0xFFFFFFFFu - kWindow + 1}) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 3000; ++round) {
      const RangeList a = RandomPieces(random, base);
      const RangeList b = RandomPieces(random, base);
      const Bytes bBytes = BytesOf(b, base);
      SCOPED_TRACE(Shape(a) + " with " + Shape(b));

      // Subtract: every range of A loses B's bytes and falls apart into its
      // remaining runs.
      std::vector<std::pair<uint32_t, uint32_t>> pieces;
      for (const AddressRange &range : a.ranges) {
        uint32_t first = range.start - base;
        uint32_t last = range.Last() - base;
        for (uint32_t i = first; i <= last; ++i) {
          if (bBytes[i])
            continue;
          uint32_t end = i;
          while (end < last && !bBytes[end + 1])
            ++end;
          pieces.emplace_back(i, end);
          i = end;
        }
      }
      RangeList difference = a;
      Subtract(difference, b);
      EXPECT_EQ(Shape(difference), ShapeOf(pieces, base));
      EXPECT_EQ(BytesOf(difference, base), BytesOf(a, base) & ~bBytes);

      // Intersect: every overlap of a range of A with a range of B.
      pieces.clear();
      for (const AddressRange &x : a.ranges)
        for (const AddressRange &y : b.ranges) {
          uint32_t first = std::max(x.start, y.start);
          uint32_t last = std::min(x.Last(), y.Last());
          if (first <= last)
            pieces.emplace_back(first - base, last - base);
        }
      RangeList intersection = a;
      Intersect(intersection, b);
      EXPECT_EQ(Shape(intersection), ShapeOf(pieces, base));
      EXPECT_EQ(BytesOf(intersection, base), BytesOf(a, base) & bBytes);

      // Union may overlap but loses no byte and keeps the order.
      RangeList both = a;
      Union(both, b);
      EXPECT_EQ(BytesOf(both, base), BytesOf(a, base) | bBytes);
      for (size_t i = 0; i < both.ranges.size(); ++i) {
        EXPECT_FALSE(both.ranges[i].Empty());
        if (i > 0) {
          EXPECT_LE(both.ranges[i - 1].start, both.ranges[i].start);
        }
      }
    }
  }
}

} // namespace
} // namespace tanrek
