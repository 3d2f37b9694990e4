// Section ordering: every ordering on one member set, the packing passes,
// locality with shared targets and cycles, reference counts, block sizes
// (MPU rounding, fixed sizes, mapped members) and the two phases.
#include "placement/ordering.h"

#include "driver/format.h"
#include "input/input_file.h"
#include "script/script_task.h"
#include "symbols/symbol.h"
#include "test_support.h"

#include <cstdlib>
#include <deque>
#include <memory>

namespace tanrek {
namespace {

using testing_support::CaptureLog;
using testing_support::FatalMessage;
using testing_support::LinkerTest;

enum SectionKind { Text, Rodata, Data, Bss };

class OrderingTest : public LinkerTest {
protected:
  LinkSection &Make(const std::string &name, SectionKind kind, uint32_t size, uint32_t align) {
    static const uint32_t kFlags[] = {kShfAlloc | kShfExecinstr, kShfAlloc, kShfAlloc | kShfWrite,
                                      kShfAlloc | kShfWrite};
    auto &section = *sections.emplace_back(std::make_unique<LinkSection>(name, 1));
    section.sh_type = kind == Bss ? kShtNobits : kShtProgbits;
    section.sh_flags = kFlags[kind];
    section.sh_size = size;
    section.sh_addralign = align;
    return section;
  }
  // A relocation from `from` to the start of `to`, through a local symbol.
  void Refer(LinkSection &from, LinkSection *to, uint32_t type = 2, uint8_t binding = kStbLocal) {
    Symbol &symbol = symbols.emplace_back();
    symbol.info = uint8_t(binding << 4);
    symbol.name = "sym";
    symbol.section = to;
    Relocation relocation;
    relocation.type = type;
    relocation.symbolOverride = &symbol;
    from.relocations.push_back(relocation);
    from.relocationsLoaded = true;
  }
  // Marks `function` as covered by an index entry whose second word is
  // `word`.
  void GiveIndexEntry(LinkSection &function, uint32_t word) {
    LinkSection &index = Make(".ARM.exidx" + function.Name(), Rodata, 8, 4);
    index.sh_type = kShtArmExidx;
    index.SetReplacementContents(
        {0, 0, 0, 0, uint8_t(word), uint8_t(word >> 8), uint8_t(word >> 16), uint8_t(word >> 24)});
    function.linkedIndexSection = &index;
    function.state |= StateLinkTarget;
  }
  std::string Sorted(std::vector<Locatable *> items, uint32_t order) {
    std::srand(1); // the state of a process that never seeded rand()
    SortMembers(linker, items, order);
    return Names(items);
  }
  static std::string Names(const std::vector<Locatable *> &items) {
    std::string text;
    for (const Locatable *item : items)
      text += (text.empty() ? "" : " ") + item->Name();
    return text;
  }

  std::vector<std::unique_ptr<LinkSection>> sections;
  std::deque<Symbol> symbols;
  InputFile fileA{nullptr, "a.o", false}, fileB{nullptr, "b.o", false};
};

// Six sections on which no two orderings agree (except "any" and "fixed",
// which both leave the list alone).
TEST_F(OrderingTest, EveryOrderingOnOneMemberSet) {
  LinkSection &d = Make(".text.d", Text, 3, 1), &b = Make(".data.b", Data, 8, 2);
  LinkSection &f = Make(".text.f", Text, 12, 2), &e = Make(".text.e", Text, 4, 4);
  LinkSection &c = Make(".text.c", Text, 12, 2), &a = Make(".bss.a", Bss, 3, 8);
  std::vector<Locatable *> members = {&d, &b, &f, &e, &c, &a};
  b.initMethod = InitCopy;
  a.initMethod = InitZero;
  for (LinkSection *section : {&d, &b, &f, &a})
    section->file = &fileB;
  c.file = &fileA;
  const uint32_t kAddresses[] = {0x200, 0x100, 0x500, 0x600, 0x300, 0x400};
  const uint32_t kLinked[] = {0x1010, 0x1000, 0x1020, 0x1040, 0x1030, 0x1050};
  const uint32_t kCounts[] = {1, 0, 0, 0, 1, 1};
  for (size_t i = 0; i < members.size(); ++i) {
    auto &section = static_cast<LinkSection &>(*members[i]);
    section.sh_addr = kAddresses[i];
    section.linkedTo = &Make(".target", Text, 0, 1);
    section.linkedTo->sh_addr = kLinked[i];
    section.referenceCount = kCounts[i];
  }
  Refer(d, &f);
  Refer(d, &c);
  Refer(f, &a);
  for (LinkSection *function : {&d, &f, &c})
    GiveIndexEntry(*function, 1);
  GiveIndexEntry(e, 0x80a8b0b0);

  const char *const kExpected[] = {
      ".text.d .data.b .text.f .text.e .text.c .bss.a", // any
      ".text.d .data.b .text.f .text.e .text.c .bss.a", // fixed
      ".data.b .text.d .text.f .text.c .text.e .bss.a", // linked
      ".bss.a .data.b .text.c .text.d .text.e .text.f", // alphabetical
      ".text.f .text.e .text.d .text.c .data.b .bss.a", // reverse alphabetical
      ".bss.a .text.e .data.b .text.f .text.c .text.d", // alignment
      ".bss.a .text.e .text.f .text.c .data.b .text.d", // alignment then size
      ".bss.a .text.e .data.b .text.c .text.f .text.d", // alignment then alphabetical
      ".text.f .text.c .data.b .text.e .text.d .bss.a", // size: equal sizes keep their order
      ".text.f .text.c .data.b .text.e .bss.a .text.d", // size then alignment
      ".text.d .bss.a .text.e .data.b .text.f .text.c", // reverse size
      ".text.f .text.c .text.e .text.d .data.b .bss.a", // access then size
      ".text.d .text.f .text.e .text.c .bss.a .data.b", // maximum packing: indexed functions first
      ".text.f .bss.a .text.d .text.c .data.b .text.e", // locality
      ".text.c .text.f .data.b .text.e .bss.a .text.d", // reference count: equal keys, later first
      ".text.d .text.f .text.c .text.e .bss.a .data.b", // exception
      ".text.c .bss.a .data.b .text.d .text.f .text.e", // file: linker-made sections last
      ".text.c .text.e .data.b .text.f .text.d .bss.a", // random
      ".data.b .bss.a .text.e .text.f .text.c .text.d", // auto
      ".data.b .text.d .text.c .bss.a .text.f .text.e", // address
  };
  for (uint32_t order = 0; order < std::size(kExpected); ++order)
    EXPECT_EQ(Sorted(members, order), kExpected[order]) << OrderName(order);
  EXPECT_EQ(FatalMessage([&] { Sorted(members, 20); }), "error: internal error: bad section sort order (20)");
}

// Names compare as unsigned bytes, a prefix first; in file order two
// linker-made sections fall back to their names.
TEST_F(OrderingTest, NamesCompareAsUnsignedBytes) {
  LinkSection &high = Make(".t\xe9", Text, 4, 4), &low = Make(".tz", Text, 4, 4), &prefix = Make(".t", Text, 4, 4);
  std::vector<Locatable *> items = {&high, &low, &prefix};
  EXPECT_EQ(Sorted(items, 3), ".t .tz .t\xe9");
  EXPECT_EQ(Sorted(items, 16), ".t .tz .t\xe9");
  low.file = &fileA;
  EXPECT_EQ(Sorted(items, 16), ".tz .t .t\xe9");
}

// The tail of a word-aligned section that is not a whole number of words
// is filled by a smaller section, in three passes.
TEST_F(OrderingTest, MaximumPackingPairsRaggedWordsWithFillers) {
  auto item = [&](const char *name, uint32_t size, uint32_t align) { return &Make(name, Data, size, align); };
  std::vector<Locatable *> first = {item("A", 6, 4), item("B", 7, 4), item("C", 5, 4), item("D", 6, 4), item("E", 5, 4),
                                    item("S", 6, 4), item("H", 2, 2), item("I", 6, 2), item("J", 1, 1), item("K", 1, 1),
                                    item("L", 5, 1), item("M", 3, 1), item("N", 4, 2), item("O", 4, 1), item("P", 8, 8),
                                    item("Q", 8, 4), item("X", 4, 3)};
  // First pass: A+H, B+J, C+M, D+I; E and S wait. Second pass: S takes two
  // single bytes; E finds no half-word. What is left follows by bucket.
  EXPECT_EQ(Sorted(first, 12), "P X Q A H B J C M D I S K L E N O");

  std::vector<Locatable *> second = {item("E", 5, 4), item("F", 9, 4), item("G", 1, 4),
                                     item("H", 2, 2), item("I", 6, 2), item("J", 1, 1)};
  LinkSection &indexed = Make("T", Text, 4, 2);
  GiveIndexEntry(indexed, 1);
  second.push_back(&indexed);
  // Second pass: E takes a byte and a half-word; third pass: F takes the
  // last half-word and G stays alone. With unwind tables, T has an index
  // entry and goes first; without, it is an ordinary whole-word member.
  EXPECT_EQ(Sorted(second, 12), "T E J H F I G");
  linker.ClearFlag(Flag::UnwindTables);
  EXPECT_EQ(Sorted(second, 12), "E J H F I G T");
}

// Two roots share a target, two members refer to each other, and two
// members are only on a cycle of their own: every member appears once.
TEST_F(OrderingTest, LocalityPlacesEveryMemberOnce) {
  LinkSection &t = Make("t", Text, 4, 4), &p = Make("p", Text, 4, 4), &x = Make("x", Text, 4, 4);
  LinkSection &r1 = Make("r1", Text, 2, 2), &y = Make("y", Text, 8, 4), &q = Make("q", Text, 4, 4);
  LinkSection &z = Make("z", Text, 4, 4), &r2 = Make("r2", Text, 4, 4);
  for (auto [from, to] : std::initializer_list<std::pair<LinkSection *, LinkSection *>>{
           {&r1, &x}, {&r1, &y}, {&r1, &y}, {&r2, &y}, {&y, &z}, {&z, &y}, {&p, &q}, {&q, &p}, {&t, &t}})
    Refer(*from, to);
  Refer(t, nullptr);
  std::vector<Locatable *> members = {&t, &p, &x, &r1, &y, &q, &z, &r2};
  std::string log = CaptureLog([&] {
    theLog.depth = 1;
    SortMembers(linker, members, 13);
  });
  EXPECT_EQ(Names(members), "y z r1 x r2 t p q");
  auto list = [](const char *title, std::initializer_list<const char *> names) {
    std::string text = Format("  %s\n", title);
    for (const char *name : names)
      text += Format("      section %s ([ Linker created ])\n", name);
    return text;
  };
  std::string expected = list("Inputs:", {"t", "p", "x", "r1", "y", "q", "z", "r2"}) + "  Creating graph\n" +
                         list("Roots:", {"r1", "r2"}) +
                         "  Clique headed by section r1 ([ Linker created ]), 4 members\n"
                         "      section y, 8 bytes\n      section z, 4 bytes\n"
                         "      section r1, 2 bytes\n      section x, 4 bytes\n"
                         "  Clique headed by section r2 ([ Linker created ]), 1 members\n"
                         "      section r2, 4 bytes\n" +
                         list("First-cut order (5 sections):", {"y", "z", "r1", "x", "r2"}) +
                         list("Throw-in sections:", {"t", "p", "q"}) +
                         list("Final order:", {"y", "z", "r1", "x", "r2", "t", "p", "q"});
  EXPECT_EQ(log, expected);
}

// A head follows the larger half of its children (largest first); with one
// child it comes first.
TEST_F(OrderingTest, LocalityPutsEachNodeAmongItsChildren) {
  LinkSection &head = Make("head", Text, 4, 4), &one = Make("one", Text, 4, 4), &two = Make("two", Text, 16, 4);
  LinkSection &three = Make("three", Text, 8, 4), &leaf = Make("leaf", Text, 4, 4);
  Refer(head, &one);
  Refer(head, &two);
  Refer(head, &three);
  Refer(one, &leaf);
  LinkSection &twin = Make("twin", Text, 8, 4);
  Refer(head, &twin);
  std::vector<Locatable *> members = {&leaf, &twin, &three, &two, &one, &head};
  SortMembers(linker, members, 13);
  EXPECT_EQ(Names(members), "two three head twin one leaf");
  // Children of equal size follow their serials, not the list: sorting the
  // result again changes nothing.
  SortMembers(linker, members, 13);
  EXPECT_EQ(Names(members), "two three head twin one leaf");
}

// Only code counts, only relocations that apply, only targets in a real
// section; the counts then break ties between equal sizes.
TEST_F(OrderingTest, ReferenceCountsFromCodeDecideEqualSizes) {
  LinkSection &code = Make(".text", Text, 8, 4), &data = Make(".data", Data, 8, 4);
  LinkSection &table = Make(".rodata", Rodata, 8, 4), &other = Make(".text.other", Text, 8, 4);
  Refer(code, &data);
  Refer(code, &data);
  Refer(code, &table, 0);               // applies nothing
  Refer(code, &linker.absoluteSection); // absolute
  Refer(code, nullptr, 2, kStbGlobal);  // undefined
  Refer(code, &code);                   // itself
  Refer(data, &table);                  // data refers, but is not code
  for (LinkSection *section : {&code, &data, &table, &other})
    linker.sectionsToPlace.insert(section);
  std::string counts = CaptureLog([&] {
    theLog.depth = 1;
    linker.ReferenceCounting();
  });
  linker.sectionsToPlace.clear();
  EXPECT_EQ(counts, "  Section reference counts\n"
                    "          1      8  section .text\n"
                    "          2      8  section .data\n");
  EXPECT_EQ(table.referenceCount, 0u);

  std::vector<Locatable *> members = {&other, &table, &code, &data};
  std::string sorted = CaptureLog([&] {
    theLog.depth = 1;
    SortMembers(linker, members, 14);
  });
  EXPECT_EQ(sorted, "  ^^^     2      8  section .data\n"
                    "  ^^^     1      8  section .text\n"
                    "  ^^^     0      8  section .rodata\n"
                    "  ^^^     0      8  section .text.other\n");
}

class BlockSizeTest : public OrderingTest {
protected:
  std::string SizeLog(LinkBlock &block) {
    return CaptureLog([&] {
      theLog.depth = 1;
      SizeAndAlignBlock(linker, block);
    });
  }
};

// Nested blocks are sized first; members already placed take no room.
TEST_F(BlockSizeTest, MembersInOrderWithNestedBlocksFirst) {
  LinkBlock outer(BlockDefined, "outer"), inner(BlockInline, "inner");
  LinkSection &a = Make("a", Data, 6, 2), &b = Make("b", Data, 4, 8), &placed = Make("placed", Data, 100, 16);
  LinkSection &c = Make("c", Data, 3, 4);
  placed.Map(0x1000);
  inner.members = {&c};
  outer.nestedBlocks = {&inner};
  outer.members = {&a, &b, &placed, &inner};
  EXPECT_EQ(SizeLog(outer), "  Process block outer:\n"
                            "      Process inline block inner:\n"
                            "          size = 3, alignment = 4\n"
                            "      size = 15, alignment = 8\n");
  EXPECT_EQ(outer.Size(), 15u);
  EXPECT_EQ(outer.Alignment(), 8u);
  outer.alignment = 32;
  SizeLog(outer);
  EXPECT_EQ(outer.Alignment(), 32u) << "the block's own alignment counts";
}

TEST_F(BlockSizeTest, MpuBlocksBecomeAlignedPowersOfTwo) {
  LinkBlock block(BlockDefined, "M");
  block.mpu = 1;
  block.fixedSize = 1;
  LinkSection &a = Make("a", Data, 0x200, 8), &b = Make("b", Data, 0x100, 4);
  block.members = {&a, &b};
  EXPECT_EQ(SizeLog(block), "  Process block M:\n"
                            "      Size and alignment of block M set to 1 024 for MPU ranges\n"
                            "      size = 1 024, alignment = 1 024\n");
  EXPECT_EQ(block.fixedSize, 0);
  b.sh_size = 0x200;
  SizeLog(block);
  EXPECT_EQ(block.Size(), 0x400u);
  EXPECT_EQ(block.Alignment(), 0x400u);
  b.sh_size = 0x201;
  SizeLog(block);
  EXPECT_EQ(block.Size(), 0x800u);
  // A tiny block aligned beyond its size takes its alignment as its size.
  LinkBlock small(BlockDefined, "S");
  small.mpu = 1;
  small.members = {&Make("s", Data, 0x10, 0x40)};
  SizeLog(small);
  EXPECT_EQ(small.Size(), 0x40u);
}

TEST_F(BlockSizeTest, FixedSizeMustHoldTheMembers) {
  LinkBlock block(BlockDefined, "F");
  block.fixedSize = 1;
  block.size = 16;
  LinkSection &a = Make("a", Data, 10, 2), &b = Make("b", Data, 4, 4);
  block.members = {&a, &b};
  EXPECT_EQ(FatalMessage([&] { SizeAndAlignBlock(linker, block); }), "");
  EXPECT_EQ(block.Size(), 16u);
  b.sh_size = 5;
  EXPECT_EQ(FatalMessage([&] { SizeAndAlignBlock(linker, block); }),
            "error: block F overflow: fixed size 16 bytes but requires 17 bytes");
}

TEST_F(BlockSizeTest, SizesBeyondTheAddressSpaceDoNotWrap) {
  LinkBlock block(BlockDefined, "huge");
  LinkSection &a = Make("a", Bss, 0xFFFFFFF0, 1), &b = Make("b", Bss, 0x20, 1);
  block.members = {&a, &b};
  EXPECT_EQ(FatalMessage([&] { SizeAndAlignBlock(linker, block); }),
            "error: block huge overflow: requires 4294967312 bytes, more than the address space");
}

// The two phases walk the statements: each sorts its members and notes a
// block with link-ordered members once.
TEST_F(OrderingTest, SortAndSizePhasesWalkTheStatements) {
  LinkBlock defined(BlockDefined, "B"), in(BlockPlaceIn, "in"), at(BlockPlaceAt, "at");
  LinkSection &x = Make("x", Data, 4, 4), &w = Make("w", Data, 8, 4), &index = Make(".ARM.exidx", Rodata, 8, 4);
  index.state |= StateLinkOrdered;
  defined.order = 3;
  defined.members = {&x, &index, &w};
  in.order = 8;
  in.members = {&x, &w};
  at.members = {&w};
  linker.mainTask = std::make_unique<ScriptTask>();
  linker.mainTask->Add<DefineBlockTask>(&defined);
  auto &placeIn = linker.mainTask->Add<PlaceInTask>(&in);
  placeIn.regions = {RangeList{{{0, 0x100}}}, RangeList{{{0x1000, 0x1000}}}};
  linker.mainTask->Add<PlaceAtTask>(&at, 0x2000, false);

  std::string log = CaptureLog([&] {
    theLog.depth = 1;
    linker.SortInputs();
    linker.SortInputs();
  });
  EXPECT_EQ(Names(defined.members), ".ARM.exidx w x");
  EXPECT_EQ(Names(in.members), "w x");
  EXPECT_TRUE(defined.state & StateLinkOrdered);
  const char *kRound = "  Sorting sections with alphabetical order for block B\n"
                       "  Sorting sections with size order for place in [0x00000000 to 0x000000ff] and then "
                       "[0x00001000 to 0x00001fff]\n"
                       "  Sorting sections with auto order for place at\n";
  EXPECT_EQ(log, std::string(kRound).insert(std::string(kRound).find('\n') + 1,
                                            "      Note: block B has inputs requiring section ordering\n") +
                     kRound);

  log = CaptureLog([&] {
    theLog.depth = 1;
    linker.SizeAndAlignment();
  });
  EXPECT_EQ(log, "  Process block B:\n      size = 20, alignment = 4\n"
                 "  Process 'place at' block at:\n      size = 8, alignment = 4\n");
  EXPECT_EQ(in.Size(), 0u) << "place in statements have no block size";
}

} // namespace
} // namespace tanrek
