// The output image: section numbering past 64k, and how "Write image" cuts
// placed sections into segments by their initialization and read access.
#include "test_support.h"

#include "input/input_file.h"
#include "output/output_image.h"

#include <gtest/gtest.h>

namespace tanrek {
namespace {

using testing_support::CaptureLog;

class OutputImageTest : public testing_support::LinkerTest {
protected:
  void SetUp() override {
    LinkerTest::SetUp();
    linker.outputFileName = "/dev/null";
    linker.PrepareOutputImage();
  }

  // A placed section with `size` bytes of contents at `address`.
  LinkSection *Place(const char *name, uint32_t address, uint32_t size, uint32_t flags,
                     uint32_t initMethod = InitImplicit) {
    LinkSection *section = MakeLinkerSection(linker, name, kShtProgbits, flags, size, 1);
    section->Map(address);
    section->initMethod = initMethod;
    linker.sectionsToPlace.insert(section);
    return section;
  }

  const OutputSegment &Segment(size_t n) { return *linker.image->segments.at(n); }
};

TEST_F(OutputImageTest, SectionCountRollsOverIntoTheNullSection) {
  OutputImage &image = *linker.image;
  ASSERT_EQ(image.header.e_shnum, 3); // null, .strtab, .shstrtab
  std::string log = CaptureLog([&] {
    for (uint32_t i = 3; i < 0xFFFF; ++i)
      image.AddNewSection(".text", SHT_PROGBITS, 0);
  });
  EXPECT_EQ(image.header.e_shnum, 0xFFFF);
  EXPECT_EQ(image.nullSection->header.sh_size, 0u);
  EXPECT_EQ(log, "");

  log = CaptureLog([&] {
    theLog.depth = 1;
    image.AddNewSection(".data", SHT_PROGBITS, 0);
  });
  EXPECT_EQ(image.header.e_shnum, 0);
  EXPECT_EQ(image.nullSection->header.sh_size, 0x10000u);
  EXPECT_EQ(log, "  Rolled over 64k section headers\n");

  OutputSection *last = image.AddNewSection(".text", SHT_PROGBITS, 0);
  EXPECT_EQ(image.nullSection->header.sh_size, 0x10001u);
  EXPECT_EQ(last->index, 0x10000u);
  // Adding a section twice changes nothing.
  image.AddOutputSection(*last);
  EXPECT_EQ(image.nullSection->header.sh_size, 0x10001u);
  // Each name is stored once.
  EXPECT_EQ(image.sectionNames.Text(), std::string("\0.strtab\0.shstrtab\0.text\0.data\0", 31));
}

TEST_F(OutputImageTest, RunTimeInitializedItemsTakeNoFileSpace) {
  // Loaded code, then two zero-initialized and one copied section right
  // after it, then loaded data again.
  Place(".text", 0x100, 8, kShfAlloc | kShfExecinstr);
  Place(".bss", 0x108, 16, kShfAlloc | kShfWrite, InitZero);
  Place(".data", 0x118, 4, kShfAlloc | kShfWrite, InitCopy);
  Place(".rodata", 0x11C, 4, kShfAlloc);
  linker.WriteImage();

  ASSERT_EQ(linker.image->segments.size(), 3u);
  EXPECT_EQ(Segment(0).header.p_filesz, 8u);
  EXPECT_EQ(Segment(0).header.p_flags, uint32_t(PF_R | PF_X));
  EXPECT_EQ(Segment(1).header.p_vaddr, 0x108u);
  EXPECT_EQ(Segment(1).header.p_filesz, 0u);
  EXPECT_EQ(Segment(1).header.p_memsz, 20u);
  EXPECT_EQ(Segment(1).header.p_flags, uint32_t(PF_R | PF_W));
  EXPECT_EQ(Segment(2).header.p_filesz, 4u);

  // Section headers describe run-time initialized items as taking no bytes.
  for (const OutputSection *section : linker.image->sections) {
    if (section->name == ".data") {
      EXPECT_EQ(section->header.sh_type, uint32_t(SHT_NOBITS));
    }
  }
}

TEST_F(OutputImageTest, SegmentIsUnreadableOnlyWhenEveryMemberIs) {
  uint32_t code = kShfAlloc | kShfExecinstr;
  // Both orders of a readable and an execute-only section in one segment,
  // then a segment of execute-only sections.
  Place(".a", 0x100, 4, code | kShfArmNoread);
  Place(".b", 0x104, 4, code);
  Place(".c", 0x200, 4, code);
  Place(".d", 0x204, 4, code | kShfArmNoread);
  Place(".e", 0x300, 4, code | kShfArmNoread);
  Place(".f", 0x304, 4, code | kShfArmNoread);
  linker.memory = std::make_unique<Memory>();
  for (uint32_t start : {0x100u, 0x200u, 0x300u})
    Union(linker.memory->used, AddressRange{start, 8});
  linker.WriteImage();

  ASSERT_EQ(linker.image->segments.size(), 3u);
  EXPECT_EQ(Segment(0).header.p_flags, uint32_t(PF_R | PF_X));
  EXPECT_EQ(Segment(1).header.p_flags, uint32_t(PF_R | PF_X));
  EXPECT_EQ(Segment(2).header.p_flags, uint32_t(PF_X));
}

TEST_F(OutputImageTest, CountedErrorsWriteNothingUnlessForced) {
  Place(".text", 0x100, 8, kShfAlloc | kShfExecinstr);
  linker.diagnosticCounts[SeverityError] = 1;
  linker.WriteImage();
  EXPECT_TRUE(linker.image->segments.empty());

  linker.SetFlag(Flag::ForceOutput);
  linker.WriteImage();
  EXPECT_EQ(linker.image->segments.size(), 1u);
}

} // namespace
} // namespace tanrek
