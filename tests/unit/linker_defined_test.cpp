// Linker-defined symbols (block bounds, region bounds, the thread pointer)
// and the padding of section sizes, on items made and placed by hand.
#include "input/input_file.h"
#include "script/script_lexer.h"
#include "script/script_task.h"
#include "symbols/linker_defined.h"
#include "symbols/symbol_table.h"
#include "test_support.h"

#include <deque>

namespace tanrek {
namespace {

using testing_support::CaptureLog;
using testing_support::LinkerTest;

class LinkerDefinedTest : public LinkerTest {
protected:
  void TearDown() override {
    linker.imageSymbols.clear();
    linker.sectionsToPlace.clear();
    linker.mappedBlocks.clear();
    LinkerTest::TearDown();
  }

  // The log of `body` as a phase writes it: one level below the headline.
  template <typename Body> static std::string PhaseLog(Body body) {
    return CaptureLog([&] {
      LogIndent();
      body();
    });
  }

  LinkBlock &Block(const char *name, uint32_t address, uint32_t size) {
    LinkBlock &block = blocks.emplace_back(BlockDefined, name);
    block.address = address;
    block.size = size;
    return block;
  }

  LinkSection &Section(const char *name, uint32_t type, uint32_t flags, uint32_t size, uint32_t alignment) {
    LinkSection &section = sections.emplace_back(name, uint32_t(sections.size() + 1));
    section.sh_type = type;
    section.sh_flags = flags;
    section.sh_size = size;
    section.sh_addralign = alignment;
    linker.sectionsToPlace.insert(&section);
    return section;
  }

  void Refer(std::initializer_list<const char *> names) {
    for (const char *name : names)
      linker.undefinedSymbols.insert(name);
  }

  bool Defined(const char *name) const { return linker.globalSymbols.count(name) != 0; }
  uint32_t ValueOf(const char *name) const { return linker.globalSymbols.at(name)->Address(); }

  std::deque<LinkBlock> blocks;
  std::deque<LinkSection> sections;
};

// ---------------------------------------------------------------------------
// Block symbols

// Names come from the block name without its leading dot; blocks without
// a name of their own ('<' names, empty names) get nothing.
TEST_F(LinkerDefinedTest, BlockSymbolsDropTheLeadingDotAndDefineOnlyReferencedNames) {
  Refer({"data_init$$Base", "__data_init_start__", "__data_init_size", ".data_init$$Base", "$$Base",
         "<place in ROM>$$Base", "__<place in ROM>_start__"});
  std::string log = PhaseLog([&] {
    for (const char *name : {".data_init", "", ".", "<place in ROM>", ".<place in ROM>"})
      CreateBlockSymbols(linker, Block(name, 0x20000000, 0x40));
  });
  EXPECT_EQ(log, "  Creating symbols for block .data_init\n"
                 "      Define global symbol data_init$$Base = 0x20000000\n"
                 "      Define global symbol __data_init_start__ = 0x20000000\n"
                 "      Define global symbol __data_init_size = 0x00000040\n");
  EXPECT_EQ(linker.globalSymbols.size(), 3u);
  EXPECT_TRUE(linker.imageSymbols.count(linker.globalSymbols.at("__data_init_size")));
}

// The "$$" family follows AutoArmSymbols and the "__" family
// AutoEsBlockSymbols. A name defined elsewhere is never replaced, and once
// defined a name keeps its value when the block moves.
TEST_F(LinkerDefinedTest, EachNamingFamilyFollowsItsFlagAndIsDefinedOnce) {
  Symbol *own = DefineGlobalSymbol(linker, "stack$$Base", 0x1234);
  LinkBlock &block = Block("stack", 0x20001000, 0x800);
  const char *const es[] = {"__stack_start__", "__stack_end__", "__stack_size__",
                            "__stack_start",   "__stack_end",   "__stack_size"};
  Refer({"stack$$Limit", "stack$$Length", es[0], es[1], es[2], es[3], es[4], es[5]});
  const uint32_t expected[] = {0x20001000, 0x20001800, 0x800};
  linker.ClearFlag(Flag::AutoArmSymbols);
  CreateBlockSymbols(linker, block);
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(ValueOf(es[i]), expected[i % 3]) << es[i];
  EXPECT_FALSE(Defined("stack$$Limit"));

  linker.SetFlag(Flag::AutoArmSymbols);
  linker.ClearFlag(Flag::AutoEsBlockSymbols);
  block.address = 0x30000000;
  CreateBlockSymbols(linker, block);
  EXPECT_EQ(linker.globalSymbols.at("stack$$Base"), own);
  EXPECT_EQ(ValueOf("stack$$Limit"), 0x30000800u);
  EXPECT_EQ(ValueOf("stack$$Length"), 0x800u);
  EXPECT_EQ(ValueOf("__stack_start__"), 0x20001000u);
  linker.SetFlag(Flag::AutoEsBlockSymbols);
  EXPECT_EQ(PhaseLog([&] { CreateBlockSymbols(linker, block); }), "  Creating symbols for block stack\n");
  EXPECT_EQ(linker.ErrorCount(), 0u);
}

// Every mapped block, in serial order, and then the script's definitions,
// which can now read the block symbols.
TEST_F(LinkerDefinedTest, BlockSymbolPhaseCoversMappedBlocksThenRetriesDefinitions) {
  std::string text = "__heap_end__ + 4";
  ScriptLexer lexer("t.icf", text.data(), text.size());
  lexer.Next();
  linker.mainTask = std::make_unique<ScriptTask>();
  auto &top = linker.mainTask->Add<DefineSymbolTask>("heap_top", ParseExpr(linker, lexer), false);
  linker.DefineSymbols();
  EXPECT_FALSE(top.done);

  LinkBlock &stack = Block("stack", 0x20000000, 0x100);
  LinkBlock &heap = Block("heap", 0x20000100, 0x400);
  Block("unused", 0x0, 0x10);
  linker.mappedBlocks = {&heap, &stack};
  Refer({"__heap_end__", "__stack_start__", "__unused_start__"});
  std::string log = PhaseLog([&] { linker.CreateBlockSymbols(); });
  EXPECT_EQ(log, "  Creating symbols for block stack\n"
                 "      Define global symbol __stack_start__ = 0x20000000\n"
                 "  Creating symbols for block heap\n"
                 "      Define global symbol __heap_end__ = 0x20000500\n");
  EXPECT_EQ(ValueOf("heap_top"), 0x20000504u);
  EXPECT_FALSE(Defined("__unused_start__"));
}

// ---------------------------------------------------------------------------
// Region symbols

TEST_F(LinkerDefinedTest, RegionSymbolsSpanTheRangesAndTheirUsedPart) {
  linker.memory = std::make_unique<Memory>();
  linker.memory->used.ranges = {{0x800, 0x100}, {0x2100, 0x10}, {0x40000000, 0x10}};
  linker.regionTable["ROM"].ranges = {{0x0, 0x1000}, {0x2000, 0x1000}};
  linker.regionTable["RAM"].ranges = {{0x20000000, 0x8000}};
  linker.regionTable["NONE"];
  std::string log = PhaseLog([&] { linker.RegionSymbols(); });
  EXPECT_EQ(log, "  Define region symbols for NONE\n"
                 "  Define region symbols for RAM\n"
                 "  Define region symbols for ROM\n");

  struct Expected {
    const char *name;
    uint32_t value;
  };
  const Expected expected[] = {
      {"__ROM_segment_start__", 0x0},           {"__ROM_segment_end__", 0x3000},
      {"__ROM_segment_size__", 0x3000},         {"__ROM_segment_used_start__", 0x800},
      {"__ROM_segment_used_end__", 0x2110},     {"__ROM_segment_used_size__", 0x1910},
      {"__RAM_segment_size__", 0x8000},         {"__RAM_segment_used_start__", 0x20000000},
      {"__RAM_segment_used_end__", 0x20000000}, {"__RAM_segment_used_size__", 0},
      {"__NONE_segment_end__", 0},              {"__NONE_segment_used_start__", 0},
  };
  for (const Expected &symbol : expected) {
    ASSERT_TRUE(Defined(symbol.name)) << symbol.name;
    EXPECT_EQ(ValueOf(symbol.name), symbol.value) << symbol.name;
    EXPECT_TRUE(linker.imageSymbols.count(linker.globalSymbols.at(symbol.name))) << symbol.name;
  }
  EXPECT_EQ(linker.globalSymbols.size(), 18u);
}

// Region symbols do not wait for a reference, so an object that defines one
// conflicts with them; the object's definition stays. Turned off, they
// leave every reference undefined.
TEST_F(LinkerDefinedTest, RegionSymbolsConflictWithObjectsUnlessTurnedOff) {
  linker.memory = std::make_unique<Memory>();
  linker.regionTable["RAM"].ranges = {{0x20000000, 0x100}};
  InputFile file(nullptr, "a.o", false);
  Symbol own;
  own.name = "__RAM_segment_end__";
  own.info = kStbGlobal << 4 | kSttObject;
  own.file = &file;
  own.section = file.AddSection(std::make_unique<LinkSection>(".data", 1));
  own.sectionIndex = 1;
  DefineGlobal(linker, &own);
  Refer({"__RAM_segment_start__"});

  Parse({"--no-auto-es-region-symbols"});
  EXPECT_EQ(PhaseLog([&] { linker.RegionSymbols(); }), "");
  EXPECT_EQ(linker.globalSymbols.size(), 1u);
  EXPECT_TRUE(linker.undefinedSymbols.count("__RAM_segment_start__"));

  linker.SetFlag(Flag::AutoEsRegionSymbols);
  linker.RegionSymbols();
  EXPECT_EQ(linker.ErrorCount(), 1u);
  EXPECT_EQ(linker.diagnostics, (std::vector<std::string>{"error: multiply defined global symbol __RAM_segment_end__",
                                                          "error:   defined by [ Linker created ]",
                                                          "error:   and     by a.o"}));
  EXPECT_EQ(linker.globalSymbols.at("__RAM_segment_end__"), &own);
  EXPECT_EQ(ValueOf("__RAM_segment_start__"), 0x20000000u);
}

// ---------------------------------------------------------------------------
// Thread-local storage

constexpr uint32_t kTls = 0x400;

TEST_F(LinkerDefinedTest, ThreadPointerIsTheLowestTlsAddress) {
  LinkSection &text = Section(".text", kShtProgbits, kShfAlloc | kShfExecinstr, 0x40, 4);
  text.sh_addr = 0x100;
  LinkSection &tdata = Section(".tdata", kShtProgbits, kShfAlloc | kShfWrite | kTls, 8, 4);
  tdata.sh_addr = 0x20000010;
  LinkSection &tbss = Section(".tbss", kShtNobits, kShfAlloc | kShfWrite | kTls, 4, 4);
  tbss.sh_addr = 0x20000008;
  Symbol misplaced, proper;
  misplaced.name = "counter";
  misplaced.section = &text;
  proper.name = "slot";
  proper.section = &tdata;
  for (Symbol *symbol : {&misplaced, &proper}) {
    symbol->info = kStbGlobal << 4 | kSttTls;
    linker.imageSymbols.insert(symbol);
  }

  std::string log = PhaseLog([&] { linker.ThreadLocalStorage(); });
  EXPECT_EQ(log, "  TLS sections:\n"
                 "      .tdata, addr=20000010, size=8\n"
                 "      .tbss, addr=20000008, size=4\n"
                 "  counter is TLS but section is not marked TLS\n"
                 "  Total size (excluding padding and alignment): 12 bytes\n"
                 "  Placing thread-local storage at 0x20000008\n"
                 "  Define global symbol __thread_pointer$ = 0x20000008\n");
  EXPECT_EQ(ValueOf("__thread_pointer$"), 0x20000008u);
  EXPECT_EQ(misplaced.section, &text);
}

// Empty TLS sections are listed but do not set the thread pointer.
TEST_F(LinkerDefinedTest, WithoutTlsBytesTheThreadPointerIsZero) {
  Section(".text", kShtProgbits, kShfAlloc | kShfExecinstr, 0x40, 4).sh_addr = 0x100;
  Section(".tbss", kShtNobits, kShfAlloc | kShfWrite | kTls, 0, 4).sh_addr = 0x20000000;
  std::string log = PhaseLog([&] { linker.ThreadLocalStorage(); });
  EXPECT_EQ(log, "  TLS sections:\n"
                 "      .tbss, addr=20000000, size=0\n"
                 "  Total size (excluding padding and alignment): 0 bytes\n"
                 "  Define global symbol __thread_pointer$ = 0x00000000\n");
  EXPECT_EQ(ValueOf("__thread_pointer$"), 0u);
  EXPECT_TRUE(linker.imageSymbols.count(linker.globalSymbols.at("__thread_pointer$")));
}

// ---------------------------------------------------------------------------
// Padding

// Zero-initialised sections have no bytes, only a size; a minimum alignment
// counts as the section's alignment and is written into its header.
TEST_F(LinkerDefinedTest, PaddingExtendsChosenKindsWithZerosUpToSixteen) {
  Parse({"--pad-rom", "--pad-zi", "--min-align-zi=8"});
  static const uint8_t kCode[] = {1, 2, 3, 4, 5, 6};
  LinkSection &code = Section(".text", kShtProgbits, kShfAlloc | kShfExecinstr, 6, 4);
  code.fileContents = kCode;
  LinkSection &big = Section(".rodata.big", kShtProgbits, kShfAlloc, 20, 64);
  LinkSection &bytes = Section(".rodata.str", kShtProgbits, kShfAlloc, 3, 1);
  LinkSection &data = Section(".data", kShtProgbits, kShfAlloc | kShfWrite, 6, 4);
  LinkSection &bss = Section(".bss", kShtNobits, kShfAlloc | kShfWrite, 5, 1);

  std::string log = PhaseLog([&] { linker.PadSections(); });
  EXPECT_EQ(log, "  Padding sections for section alignment\n"
                 "  Padding section '.text' to align size to 4: size increased by 2 from 6 to 8\n"
                 "  Padding section '.rodata.big' to align size to 16: size increased by 12 from 20 to 32\n"
                 "  Padding section '.bss' to align size to 8: size increased by 3 from 5 to 8\n");
  EXPECT_EQ(std::vector<uint8_t>(code.Contents(), code.Contents() + code.Size()),
            (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(big.Contents(), big.Contents() + big.Size()), std::vector<uint8_t>(32, 0));
  EXPECT_EQ(bytes.Size(), 3u);
  EXPECT_EQ(data.Size(), 6u);
  EXPECT_EQ(bss.sh_addralign, 8u);
  EXPECT_EQ(bss.Contents(), nullptr);
}

// Bytes patched in the working copy stay until unmapping, which returns to
// the original bytes, now padded.
TEST_F(LinkerDefinedTest, PaddingKeepsPatchesInTheWorkingCopyAndOriginalsBeneath) {
  Parse({"--pad-code"});
  static const uint8_t kCode[] = {1, 2, 3};
  LinkSection &code = Section(".text", kShtProgbits, kShfAlloc | kShfExecinstr, 3, 2);
  code.fileContents = kCode;
  code.MutableContents()[0] = 9;
  linker.PadSections();
  EXPECT_EQ(std::vector<uint8_t>(code.Contents(), code.Contents() + 4), (std::vector<uint8_t>{9, 2, 3, 0}));
  code.Unmap();
  EXPECT_EQ(std::vector<uint8_t>(code.Contents(), code.Contents() + 4), (std::vector<uint8_t>{1, 2, 3, 0}));
}

} // namespace
} // namespace tanrek
