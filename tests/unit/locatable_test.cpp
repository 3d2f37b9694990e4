// Placeable items: names, kinds, alignment, the mapping of blocks and
// their members, and the internal errors of mapping twice.
#include "input/input_file.h"
#include "driver/byte_order.h"
#include "symbols/symbol.h"
#include "placement/locatable.h"
#include "test_support.h"

#include <cstring>

namespace tanrek {
namespace {

using testing_support::CaptureLog;
using testing_support::FatalMessage;
using testing_support::LinkerTest;

class LocatableTest : public LinkerTest {
protected:
  void TearDown() override {
    linker.mappedBlocks.clear();
    linker.sectionsToPlace.clear();
    LinkerTest::TearDown();
  }

  static void Setup(LinkSection &section, uint32_t type, uint32_t flags, uint32_t size, uint32_t align) {
    section.sh_type = type;
    section.sh_flags = flags;
    section.sh_size = size;
    section.sh_addralign = align;
  }
  static tanrek::Kind KindOf(uint32_t type, uint32_t flags) {
    LinkSection section("s", 7);
    Setup(section, type, flags, 4, 4);
    return section.Kind();
  }
};

TEST_F(LocatableTest, SerialsFollowCreationOrder) {
  LinkSection first("a", 1);
  LinkBlock second(BlockDefined, "b");
  LinkSection third("c", 2);
  EXPECT_LT(first.serial, second.serial);
  EXPECT_LT(second.serial, third.serial);
  std::set<Locatable *, BySerial> items = {&third, &first, &second};
  EXPECT_EQ(*items.begin(), &first);
  EXPECT_EQ(*items.rbegin(), &third);
}

TEST_F(LocatableTest, SectionNamesWithoutTextAndWithUnprintableBytes) {
  LinkSection nameless("", 5);
  nameless.sh_type = kShtProgbits;
  EXPECT_EQ(nameless.Name(), "<Section #5>");
  EXPECT_EQ(nameless.DisplayName(), "<Section #0x00000005>");

  // A section without a name and without a type is "*NULL*" whatever its
  // index; with a type, the special indexes have names of their own.
  const std::pair<uint32_t, const char *> kSpecial[] = {
      {kIndexUndefined, "*UNDEF*"}, {kIndexAbsolute, "*ABS*"}, {kIndexCommon, "*COMMON*"}, {kIndexLinker, "*LINKER*"}};
  for (auto [index, expected] : kSpecial) {
    LinkSection pseudo("", index);
    EXPECT_EQ(pseudo.Name(), "*NULL*");
    pseudo.sh_type = kShtNobits;
    EXPECT_EQ(pseudo.Name(), expected);
    EXPECT_EQ(pseudo.DisplayName(), expected);
  }

  LinkSection odd(std::string(".text\x01\xff", 7), 3);
  EXPECT_EQ(odd.DisplayName(), ".text<01><FF>");
  EXPECT_EQ(odd.Name(), std::string(".text\x01\xff", 7));
  EXPECT_EQ(odd.Describe(), "section .text<01><FF>");
  // Equal escaped names share one stored copy.
  LinkSection twin(std::string(".text\x01\xff", 7), 4);
  EXPECT_EQ(odd.displayName.data(), twin.displayName.data());
}

TEST_F(LocatableTest, KindOfSectionsAndEmptyBlocks) {
  EXPECT_EQ(KindOf(kShtNobits, kShfWrite | kShfAlloc), KindZeroInit);
  EXPECT_EQ(KindOf(7, kShfAlloc), KindOther);
  EXPECT_EQ(KindOf(kShtProgbits, kShfWrite | kShfAlloc | kShfExecinstr), KindReadWrite);
  EXPECT_EQ(KindOf(kShtProgbits, kShfAlloc | kShfExecinstr), KindCode);
  EXPECT_EQ(KindOf(kShtProgbits, kShfAlloc), KindReadOnly);

  LinkBlock block(BlockDefined, "B");
  EXPECT_EQ(block.Alignment(), 1u);
  EXPECT_EQ(block.Kind(), KindReadOnly);
  block.blockFlags = kShfAlloc | kShfExecinstr;
  EXPECT_EQ(block.Kind(), KindCode);
  block.blockFlags |= kShfWrite;
  EXPECT_EQ(block.Kind(), KindZeroInit);
  LinkSection member("m", 7);
  Setup(member, kShtProgbits, kShfAlloc, 4, 4);
  block.members.push_back(&member);
  EXPECT_EQ(block.Kind(), KindOther);
}

TEST_F(LocatableTest, MinimumAlignmentByKindButNotForExceptionIndexes) {
  Parse({"--min-code-align=4"});
  LinkSection code(".text", 7);
  Setup(code, kShtProgbits, kShfAlloc | kShfExecinstr, 2, 1);
  EXPECT_EQ(code.Alignment(), 4u);
  code.sh_addralign = 16;
  EXPECT_EQ(code.Alignment(), 16u);
  LinkSection data(".rodata", 7);
  Setup(data, kShtProgbits, kShfAlloc, 2, 1);
  EXPECT_EQ(data.Alignment(), 1u);

  linker.minAlignByKind[KindOther] = 16;
  LinkSection note(".note", 7);
  Setup(note, 7, kShfAlloc, 8, 4);
  EXPECT_EQ(note.Alignment(), 16u);
  LinkSection exidx(".ARM.exidx", 7);
  Setup(exidx, kShtArmExidx, kShfAlloc, 8, 4);
  EXPECT_EQ(exidx.Alignment(), 4u);
}

TEST_F(LocatableTest, BlockMapLaysOutMembersAlignedAndLogsThem) {
  LinkBlock block(BlockPlaceIn, "ROM");
  LinkSection a(".text.a", 7);
  Setup(a, kShtProgbits, kShfAlloc | kShfExecinstr, 6, 2);
  LinkSection b(".text.b", 7);
  Setup(b, kShtProgbits, kShfAlloc | kShfExecinstr, 4, 8);
  block.members = {&a, &b};
  std::string log = CaptureLog([&] {
    theLog.depth = 1;
    block.Map(0x1002);
  });
  EXPECT_EQ(a.Address(), 0x1002u);
  EXPECT_EQ(b.Address(), 0x1008u);
  EXPECT_EQ(log, "  Inputs to 'place in' block ROM\n"
                 "  Allocate 00001002-00001007 to section .text.a from [ Linker created ]\n"
                 "  Allocate 00001008-0000100b to section .text.b from [ Linker created ]\n");
  EXPECT_TRUE(linker.mappedBlocks.count(&block));
  EXPECT_EQ(block.Flags(), kShfAlloc | kShfExecinstr);

  block.Unmap();
  EXPECT_FALSE(block.IsMapped());
  EXPECT_FALSE(a.IsMapped());
  EXPECT_EQ(block.Address(), 0u);
}

TEST_F(LocatableTest, AutoAtBlocksStayOutOfTheMappedSet) {
  LinkBlock block(BlockPlaceAt, "fixed");
  block.autoAt = 1;
  block.Map(0x100);
  EXPECT_FALSE(linker.mappedBlocks.count(&block));
}

TEST_F(LocatableTest, LinkOrderedBlocksFollowTheirTargetsAddresses) {
  LinkSection late(".text.late", 7);
  Setup(late, kShtProgbits, kShfAlloc, 4, 4);
  LinkSection early(".text.early", 7);
  Setup(early, kShtProgbits, kShfAlloc, 4, 4);
  late.Map(0x200);
  early.Map(0x100);
  LinkSection indexLate(".ARM.exidx.a", 7);
  Setup(indexLate, kShtArmExidx, kShfAlloc, 8, 4);
  LinkSection indexEarly(".ARM.exidx.b", 7);
  Setup(indexEarly, kShtArmExidx, kShfAlloc, 8, 4);
  indexLate.linkedTo = &late;
  indexEarly.linkedTo = &early;
  LinkBlock block(BlockDefined, "exidx");
  block.state |= StateLinkOrdered;
  block.members = {&indexLate, &indexEarly};
  std::string log = CaptureLog([&] {
    theLog.depth = 1;
    block.Map(0x1000);
  });
  EXPECT_EQ(block.members[0], &indexEarly);
  EXPECT_EQ(indexEarly.Address(), 0x1000u);
  EXPECT_EQ(indexLate.Address(), 0x1008u);
  EXPECT_EQ(log.substr(0, log.find('\n')), "  Enforce section ordering for block exidx");
}

TEST_F(LocatableTest, MappingTwiceIsAnInternalError) {
  LinkSection section(".data", 3);
  section.Map(0x20);
  EXPECT_EQ(FatalMessage([&] { section.Map(0x40); }),
            "error: internal error: section '.data' is already mapped [[ Linker created ]]");
  LinkBlock block(BlockInline, "I");
  block.Map(0);
  EXPECT_EQ(FatalMessage([&] { block.Map(0); }), "error: internal error: inline block I is already mapped");
}

TEST_F(LocatableTest, DescriptionsByBlockKind) {
  const char *expected[] = {"block X",         "'place in' block X",    "'place at' block X",
                            "'place at end' block X", "'place at start' block X", "'place after' block X",
                            "inline block X"};
  for (uint32_t kind = BlockDefined; kind <= BlockInline; ++kind)
    EXPECT_EQ(LinkBlock(BlockKind(kind), "X").Describe(), expected[kind]);
}

TEST_F(LocatableTest, CopiedBlocksAreNeverWritableAndMapTheirCarrier) {
  LinkBlock block(BlockDefined, "RAM");
  block.blockFlags = kShfAlloc | kShfWrite;
  block.size = 12;
  block.alignment = 8;
  LinkSection *carrier = MakeLinkerSection(linker, ".rodata.block.RAM.copy", kShtProgbits, kShfAlloc, 12, 1);
  LinkCopiedBlock copy(&block, carrier);
  EXPECT_EQ(copy.Flags(), kShfAlloc);
  EXPECT_EQ(copy.Describe(), "copy of block RAM");
  EXPECT_EQ(copy.Size(), 12u);
  copy.Map(0x8000);
  EXPECT_EQ(carrier->Address(), 0x8000u);
  EXPECT_EQ(carrier->sh_addralign, 8u);
  EXPECT_TRUE(linker.sectionsToPlace.count(carrier));
  EXPECT_EQ(carrier->InputName(), "[ Linker created ]");
}

TEST_F(LocatableTest, InitMethodsSpreadThroughNestedBlocks) {
  LinkBlock outer(BlockDefined, "outer"), inner(BlockDefined, "inner");
  LinkSection data(".data", 1);
  inner.members = {&data};
  outer.members = {&inner};
  EXPECT_FALSE(data.InitAtRuntime());
  outer.SetInitMethod(InitCopy);
  EXPECT_EQ(data.initMethod, uint32_t(InitCopy));
  EXPECT_TRUE(data.InitAtRuntime());
  data.SetInitMethod(InitCall);
  EXPECT_EQ(FatalMessage([&] { data.InitAtRuntime(); }),
            "error: internal error: unrecognized initialization method in Locatable::InitAtRuntime()");
  EXPECT_STREQ(InitMethodName(InitNone), "do not initialize");
  EXPECT_STREQ(InitMethodName(10), "-- unknown --");
}

TEST_F(LocatableTest, ContentsComeFromTheWorkingCopyThenReplacementThenFile) {
  const uint8_t file[4] = {1, 2, 3, 4};
  LinkSection section(".data", 7);
  Setup(section, kShtProgbits, kShfAlloc | kShfWrite, 4, 4);
  section.fileContents = file;
  EXPECT_EQ(section.Contents(), file);
  section.SetReplacementContents({9, 9, 9, 9});
  EXPECT_EQ(section.Contents()[0], 9);
  section.MutableContents()[0] = 7;
  EXPECT_EQ(section.Contents()[0], 7);
  EXPECT_EQ(section.replacementContents[0], 9);
  uint8_t out[4];
  section.WriteContents(out);
  EXPECT_EQ(std::memcmp(out, "\x07\x09\x09\x09", 4), 0);
  section.Map(0);
  section.Unmap();
  EXPECT_EQ(section.Contents()[0], 9);
}

TEST_F(LocatableTest, FilledBlocksWriteFillThenMembers) {
  LinkBlock block(BlockDefined, "B");
  block.hasFill = 1;
  block.fillByte = 0xAA;
  block.size = 8;
  LinkSection member(".m", 7);
  Setup(member, kShtProgbits, kShfAlloc, 2, 2);
  member.SetReplacementContents({1, 2});
  block.members = {&member};
  block.Map(0x100);
  uint8_t out[8];
  block.WriteContents(out);
  EXPECT_EQ(std::memcmp(out, "\x01\x02\xAA\xAA\xAA\xAA\xAA\xAA", 8), 0);
}

// The first local or global symbol with a real name: weak symbols, names
// starting with '.', empty names and mapping symbols do not count.
TEST_F(LocatableTest, PrimarySymbolSkipsWeakLocalLabelsAndMappingSymbols) {
  Symbol symbols[6];
  const std::pair<const char *, uint8_t> kSymbols[] = {{"weak_fn", kStbWeak << 4}, {"", 0},    {".Ltmp", 0},
                                                        {"$t.1", 0},               {"main", kStbGlobal << 4},
                                                        {"later", 0}};
  LinkSection text(".text", 1);
  for (size_t i = 0; i < 6; ++i) {
    symbols[i].name = kSymbols[i].first;
    symbols[i].info = kSymbols[i].second;
    text.symbols.push_back(&symbols[i]);
  }
  EXPECT_EQ(text.PrimarySymbol(), &symbols[4]);
  text.symbols.erase(text.symbols.begin() + 4);
  EXPECT_EQ(text.PrimarySymbol(), &symbols[4]) << "the first answer is kept";
  LinkSection data(".data", 2);
  data.symbols = {&symbols[0], &symbols[3]};
  EXPECT_EQ(data.PrimarySymbol(), nullptr);
}

TEST_F(LocatableTest, CantUnwindEntriesBecomePlaceRelative) {
  LinkCantUnwindSection entry(0x1000, 0x40);
  EXPECT_EQ(entry.Name(), ".ARM.exidx.nounwind.00001000-0000103f");
  entry.Map(0x2000);
  EXPECT_EQ(ReadU32(entry.Contents()), (0x1000u - 0x2000u) & 0x7FFFFFFFu);
  EXPECT_EQ(ReadU32(entry.Contents() + 4), 1u);
  EXPECT_TRUE(entry.state & StateExceptionIndex);
  entry.Unmap();
  entry.Map(0x800);
  EXPECT_EQ(ReadU32(entry.Contents()), 0x800u) << "mapped again from the absolute address";
}

} // namespace
} // namespace tanrek
