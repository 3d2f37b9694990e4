// Completion of exception index tables: gap and final cannot-unwind
// entries, the index optimisation, and a second pass over the same block
// (as after veneers were added) that must start from the input sections
// alone and end with the same table.
#include "placement/exception_index.h"

#include "driver/byte_order.h"
#include "input/input_file.h"
#include "test_support.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <memory>

namespace tanrek {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing_support::CaptureLog;
using testing_support::LinkerTest;

class ExceptionIndexTest : public LinkerTest {
protected:
  // A placed code section and its one-entry index section whose second
  // word is `unwind`.
  LinkSection *Function(const std::string &name, uint32_t address, uint32_t size, uint32_t unwind) {
    LinkSection *code = owned
                            .emplace_back(std::make_unique<LinkSection>(".text." + name, kShtProgbits,
                                                                        kShfAlloc | kShfExecinstr, size, 4))
                            .get();
    code->Map(address);
    LinkSection *index =
        owned.emplace_back(std::make_unique<LinkSection>(".ARM.exidx.text." + name, kShtArmExidx, kShfAlloc, 8, 4))
            .get();
    std::vector<uint8_t> bytes(8);
    WriteU32(bytes.data() + 4, unwind);
    index->SetReplacementContents(std::move(bytes));
    index->state |= StateExceptionIndex | StateLinkOrdered;
    index->linkedTo = code;
    linker.sectionsToPlace.insert(index);
    block.members.push_back(index);
    return index;
  }

  std::vector<std::string> MemberNames() const {
    std::vector<std::string> names;
    for (const Locatable *member : block.members)
      names.push_back(member->Name());
    return names;
  }

  // Runs the table completion and gives its log, at the depth of the
  // placement statement that allocates the block.
  std::string Complete() {
    return CaptureLog([&] {
      LogIndent();
      block.ProcessExceptionTables();
    });
  }

  LinkBlock block{BlockDefined, "exidx"};
  std::vector<std::unique_ptr<LinkSection>> owned;

  void SetUp() override {
    LinkerTest::SetUp();
    block.state |= StateExceptionBlock;
  }
};

constexpr uint32_t kCompact = 0x80B0B0B0;

// Members are taken in code order whatever their order in the block; the
// gap and the rest of the address space get cannot-unwind entries.
TEST_F(ExceptionIndexTest, GapsAndTheEndGetCantUnwindEntries) {
  linker.ClearFlag(Flag::OptimizeExceptionIndex);
  Function("g", 0x1080, 0x80, kCompact);
  Function("f", 0x1000, 0x40, kCompact);
  std::string log = Complete();
  EXPECT_THAT(MemberNames(), ElementsAre(".ARM.exidx.text.f", ".ARM.exidx.nounwind.00001040-0000107f",
                                         ".ARM.exidx.text.g", ".ARM.exidx.nounwind.00001100-ffffffff"));
  EXPECT_EQ(log, "  Remove any existing nounwind sections\n"
                 "  Process exception table block exidx to insert nounwind entries\n"
                 "      #1     00001000-0000103f -> .ARM.exidx.text.f\n"
                 "      #2     00001040-0000107f -> .ARM.exidx.nounwind.00001040-0000107f\n"
                 "      #3     00001080-000010ff -> .ARM.exidx.text.g\n"
                 "  Rerun size and alignment constraints\n"
                 "      Process block exidx:\n"
                 "          size = 32, alignment = 4\n");
  EXPECT_EQ(block.size, 32u);
  auto *gap = dynamic_cast<LinkSection *>(block.members[1]);
  EXPECT_TRUE(linker.sectionsToPlace.count(gap));
  EXPECT_TRUE(linker.contentSections.count(gap));
  EXPECT_EQ(linker.linkerInput->sections.back(), block.members[3]);
  EXPECT_STREQ(gap->description, "Exception index");
  EXPECT_EQ(gap->InputName(), "[ Linker created ]");
  EXPECT_EQ(ReadU32(gap->Contents()), 0x1040u);
  EXPECT_EQ(ReadU32(gap->Contents() + 4), 1u);
}

TEST_F(ExceptionIndexTest, BackToBackFunctionsAndUnplacedCode) {
  linker.ClearFlag(Flag::OptimizeExceptionIndex);
  Function("f", 0x1000, 0x40, kCompact);
  Function("g", 0x1040, 0x10, 1);
  LinkSection *lost = Function("lost", 0, 0x10, 1);
  lost->linkedTo->Unmap();
  std::string log = Complete();
  EXPECT_THAT(MemberNames(), ElementsAre(".ARM.exidx.text.lost", ".ARM.exidx.text.f", ".ARM.exidx.text.g",
                                         ".ARM.exidx.nounwind.00001050-ffffffff"));
  EXPECT_THAT(log, HasSubstr("      .ARM.exidx.text.lost linked section isn't mapped\n"
                             "      #1     00001000-0000103f -> .ARM.exidx.text.f\n"
                             "      #2     00001040-0000104f -> .ARM.exidx.text.g\n"));
}

// Without addresses nothing is known to follow anything: equal entries all
// stay.
TEST_F(ExceptionIndexTest, NoPlacedCodeGivesOneEntryForEverything) {
  Function("f", 0, 0x10, 1)->linkedTo->Unmap();
  Function("g", 0, 0x10, 1)->linkedTo->Unmap();
  Complete();
  EXPECT_THAT(MemberNames(), ElementsAre(".ARM.exidx.text.f", ".ARM.exidx.text.g",
                                         ".ARM.exidx.nounwind.00000000-ffffffff"));
  auto *entry = dynamic_cast<LinkSection *>(block.members[2]);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(ReadU32(entry->Contents()), 0u);
  EXPECT_EQ(block.size, 24u);
}

// Equal compact entries collapse onto the first; a cannot-unwind function
// absorbs the gap after it; an entry of another model breaks the run.
TEST_F(ExceptionIndexTest, OptimisationTakesOutRepeatedUnwinding) {
  Function("a", 0x1000, 0x10, kCompact);
  Function("b", 0x1010, 0x10, kCompact);
  Function("c", 0x1020, 0x10, kCompact);
  Function("d", 0x1030, 0x10, 1);
  Function("e", 0x1100, 0x10, 0x80A8B0B0);
  Function("x", 0x1110, 0x10, 0x80A8B0B0 & 0x7FFFFFFF); // an offset into .ARM.extab
  Function("y", 0x1120, 0x10, 0x80A8B0B0 & 0x7FFFFFFF);
  std::string log = Complete();
  EXPECT_THAT(MemberNames(), ElementsAre(".ARM.exidx.text.a", ".ARM.exidx.text.d", ".ARM.exidx.text.e",
                                         ".ARM.exidx.text.x", ".ARM.exidx.text.y",
                                         ".ARM.exidx.nounwind.00001130-ffffffff"));
  EXPECT_THAT(log, HasSubstr("  Optimize exception index to remove consecutive identical-unwind sections\n"
                             "      Remove .ARM.exidx.text.b as predecessor .ARM.exidx.text.a has identical compact "
                             "unwinding 0x80B0B0B0\n"
                             "      Remove .ARM.exidx.text.c as predecessor .ARM.exidx.text.a has identical compact "
                             "unwinding 0x80B0B0B0\n"
                             "      Remove .ARM.exidx.nounwind.00001040-000010ff as predecessor .ARM.exidx.text.d has "
                             "identical compact unwinding 0x00000001\n"
                             "  Rerun size and alignment constraints\n"));
  EXPECT_EQ(block.size, 6 * 8u) << "removed entries take no room";
  ASSERT_EQ(block.removedIndexEntries.size(), 3u);
  for (LinkSection *removed : block.removedIndexEntries) {
    EXPECT_STREQ(removed->removalNote, "[ Removed by index optimization ]");
    EXPECT_FALSE(linker.sectionsToPlace.count(removed)) << removed->Name();
  }
}

// A section of several entries goes only when every entry repeats the
// entry before it.
TEST_F(ExceptionIndexTest, SectionsOfSeveralEntriesStayUnlessAllAreEqual) {
  Function("a", 0x1000, 0x10, 1);
  LinkSection *mixed = Function("mixed", 0x1010, 0x10, 1);
  std::vector<uint8_t> bytes(16);
  WriteU32(bytes.data() + 4, 1);
  WriteU32(bytes.data() + 12, kCompact);
  mixed->SetReplacementContents(bytes);
  mixed->sh_size = 16;
  LinkSection *same = Function("same", 0x1020, 0x10, kCompact);
  WriteU32(bytes.data() + 4, kCompact);
  same->SetReplacementContents(bytes);
  same->sh_size = 16;
  Complete();
  EXPECT_THAT(MemberNames(), ElementsAre(".ARM.exidx.text.a", ".ARM.exidx.text.mixed",
                                         ".ARM.exidx.nounwind.00001030-ffffffff"));
}

// Placement after veneers unmaps the block and completes it again: the
// entries of the first pass go, removed inputs come back, and the table is
// the same.
TEST_F(ExceptionIndexTest, ASecondPassStartsFromTheInputs) {
  Function("a", 0x1000, 0x10, kCompact);
  Function("b", 0x1010, 0x10, kCompact);
  Function("c", 0x1040, 0x10, 1);
  Complete();
  std::vector<std::string> first = MemberNames();
  // b repeats a; the gap after b is cannot-unwind, and so are c and the
  // rest of memory.
  EXPECT_THAT(first, ElementsAre(".ARM.exidx.text.a", ".ARM.exidx.nounwind.00001020-0000103f"));
  size_t made = linker.linkerInput->sections.size();
  std::vector<LinkSection *> passOne(block.removedIndexEntries);
  block.Map(0x8000);
  block.Unmap();
  std::string log = Complete();
  EXPECT_EQ(MemberNames(), first);
  EXPECT_THAT(log, HasSubstr("  Remove any existing nounwind sections\n"
                             "      Discard section .ARM.exidx.nounwind.00001020-0000103f\n"
                             "      Discard section .ARM.exidx.nounwind.00001050-ffffffff\n"
                             "  Process"));
  EXPECT_EQ(linker.linkerInput->sections.size(), made) << "the old entries left the linker input";
  for (LinkSection *old : passOne) {
    EXPECT_FALSE(linker.contentSections.count(old));
    EXPECT_FALSE(std::count(linker.linkerInput->sections.begin(), linker.linkerInput->sections.end(), old));
  }
  size_t placeable = 0;
  for (LinkSection *section : linker.sectionsToPlace)
    placeable += section->name.starts_with(".ARM.exidx.nounwind") ? 1 : 0;
  EXPECT_EQ(placeable, 1u) << "only the entry still in the table is placed";
  linker.ClearFlag(Flag::OptimizeExceptionIndex);
  block.Map(0x8000);
  block.Unmap();
  Complete();
  EXPECT_THAT(MemberNames(), ElementsAre(".ARM.exidx.text.a", ".ARM.exidx.text.b",
                                         ".ARM.exidx.nounwind.00001020-0000103f", ".ARM.exidx.text.c",
                                         ".ARM.exidx.nounwind.00001050-ffffffff"));
  EXPECT_TRUE(block.removedIndexEntries.empty());
  EXPECT_EQ(dynamic_cast<LinkSection *>(block.members[1])->removalNote, nullptr);
}

// The entry's words follow the image's byte order.
TEST_F(ExceptionIndexTest, BigEndianEntries) {
  targetBigEndian = true;
  LinkCantUnwindSection *entry = MakeCantUnwindSection(linker, 0x1040, 0x40);
  entry->Map(0x2000);
  const uint8_t *bytes = entry->Contents();
  EXPECT_EQ(bytes[0], 0x7F);
  EXPECT_EQ(bytes[3], 0x40);
  EXPECT_EQ(bytes[7], 1);
  targetBigEndian = false;
}

} // namespace
} // namespace tanrek
