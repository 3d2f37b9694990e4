// The statement parser: what each statement turns into, the order of the
// task lists, blocks and selectors, user-defined sections, fills, and the
// definitions given on the command line. Fatal messages and their
// positions are checked by the lit tests, one per message.
#include "driver/byte_order.h"
#include "input/input_file.h"
#include "script/script_parser.h"
#include "script/script_task.h"
#include "symbols/symbol_table.h"
#include "test_support.h"

namespace tanrek {
namespace {

using testing_support::CaptureLog;
using testing_support::FatalMessage;
using testing_support::LinkerTest;

class ScriptParserTest : public LinkerTest {
protected:
  void TearDown() override {
    targetBigEndian = false;
    LinkerTest::TearDown();
  }

  void Parse(const std::string &text) {
    linker.scriptFiles.push_back(ScriptText{"t.icf", text});
    ParseScripts(linker);
  }

  // The tasks in walk order, without the three plain containers.
  std::vector<ScriptTask *> Tasks() {
    std::vector<ScriptTask *> tasks;
    linker.mainTask->Walk([&](ScriptTask &task) {
      if (typeid(task) != typeid(ScriptTask))
        tasks.push_back(&task);
    });
    return tasks;
  }

  template <typename T> std::vector<T *> TasksOf() {
    std::vector<T *> found;
    for (ScriptTask *task : Tasks())
      if (auto *typed = dynamic_cast<T *>(task))
        found.push_back(typed);
    return found;
  }

  LinkBlock &Block(const char *name) { return *linker.blockTable.at(name); }

  std::string Dump() {
    return CaptureLog([&] {
      LogIndent();
      linker.DumpScriptTasks();
    });
  }
};

constexpr const char *kRegions = "define region ROM = [from 0 size 0x1000];\n"
                                 "define region RAM = [from 0x20000000 size 0x1000];\n";

TEST_F(ScriptParserTest, PlacementsComeAfterEverythingElseAtAddressesFirst) {
  Parse(std::string(kRegions) + "place in RAM { rw };\n"
                                "place at 0x100 { section .a };\n"
                                "define block B { section .b };\n"
                                "place after ROM { section .c };\n"
                                "keep { section .k };\n");
  std::vector<std::string> kinds;
  for (ScriptTask *task : Tasks())
    kinds.push_back(typeid(*task).name());
  std::vector<std::string> expected = {typeid(DefineRegionTask).name(), typeid(DefineRegionTask).name(),
                                       typeid(DefineBlockTask).name(),  typeid(KeepTask).name(),
                                       typeid(PlaceAtTask).name(),      typeid(PlaceAtTask).name(),
                                       typeid(PlaceInTask).name()};
  EXPECT_EQ(kinds, expected);
  std::vector<PlaceAtTask *> at = TasksOf<PlaceAtTask>();
  EXPECT_EQ(at[0]->address, 0x100u);
  EXPECT_EQ(at[1]->address, 0x1000u);
  EXPECT_EQ(at[1]->block->blockKind, BlockPlaceAfter);
}

TEST_F(ScriptParserTest, ACommentOnlyScriptMakesTheDefaultMemory) {
  Parse("// nothing here\n/* or here */");
  EXPECT_TRUE(Tasks().empty());
  ASSERT_TRUE(linker.memory);
  EXPECT_EQ(linker.memory->name, "mem");
  EXPECT_TRUE(linker.memoryTable.empty());
  ASSERT_EQ(linker.diagnostics.size(), 1u);
  EXPECT_EQ(linker.diagnostics[0], "remark: auto-creating 'define memory' covering entire address space");
}

TEST_F(ScriptParserTest, MemoryPrefixesNeedADefinedMemory) {
  Parse("define memory flash with size = 4G;\n"
        "define region R = flash:[from 0x100 to 0x1FF];\n");
  EXPECT_EQ(linker.memory->name, "flash");
  EXPECT_TRUE(linker.diagnostics.empty());
  EXPECT_EQ(LongText(linker.regionTable.at("R")), "[0x00000100 to 0x000001ff]");
}

TEST_F(ScriptParserTest, DefaultRegionsGiveWayToEarlierDefinitions) {
  Parse("define region R = [from 0 size 0x100];\n"
        "default region R = [from 0x800 size 0x100];\n"
        "default region S = R | [from 0x400 size 4];\n");
  EXPECT_EQ(LongText(linker.regionTable.at("R")), "[0x00000000 to 0x000000ff]");
  EXPECT_EQ(LongText(linker.regionTable.at("S")), "[0x00000000 to 0x000000ff] + [0x00000400 to 0x00000403]");
  EXPECT_EQ(TasksOf<DefineRegionTask>().size(), 2u);
}

TEST_F(ScriptParserTest, AnonymousBlocksAreNumberedInParseOrder) {
  unsigned next = std::stoul(AnonymousName({}).substr(2)) + 1;
  Parse(std::string(kRegions) + "place in ROM{block {section .a}};\n"
                                "place at 0x40 { section .b };\n");
  ASSERT_EQ(linker.placementBlocks.size(), 2u);
  EXPECT_EQ(linker.placementBlocks[0]->name, "<#" + std::to_string(next) + "> at line 3, col 10");
  EXPECT_EQ(linker.placementBlocks[1]->name, "<#" + std::to_string(next + 2) + "> at line 4, col 15");
  std::string inlineName = "<#" + std::to_string(next + 1) + "> at line 3, col 14";
  ASSERT_TRUE(linker.blockTable.count(inlineName));
  EXPECT_EQ(Block(inlineName.c_str()).blockKind, BlockInline);
  EXPECT_EQ(linker.placementBlocks[0]->selector.blocks[0]->name, inlineName);
  EXPECT_EQ(linker.placementBlocks[0]->nestedBlocks, linker.placementBlocks[0]->selector.blocks);
}

TEST_F(ScriptParserTest, BlockAttributes) {
  Parse("define block A with size = 0x800, alignment = 8, fill = 0x1FF, keep, mpu ranges, readwrite access {};\n"
        "define block B with fill = 1, do not fill, mpu, readexec access;\n");
  LinkBlock &a = Block("A");
  EXPECT_EQ(a.size, 0x800u);
  EXPECT_EQ(a.fixedSize, 1);
  EXPECT_EQ(a.alignment, 8u);
  EXPECT_EQ(a.hasFill, 1);
  EXPECT_EQ(a.fillByte, 0xFF);
  EXPECT_EQ(a.kept, 1);
  EXPECT_EQ(a.mpu, 1);
  EXPECT_EQ(a.blockFlags, uint32_t(kShfAlloc | 1));
  EXPECT_TRUE(linker.mappedBlocks.count(&a));
  LinkBlock &b = Block("B");
  EXPECT_EQ(b.hasFill, 0);
  EXPECT_EQ(b.mpu, 0);
  EXPECT_EQ(b.blockFlags, uint32_t(kShfAlloc | 4));
  EXPECT_FALSE(linker.mappedBlocks.count(&b));
}

TEST_F(ScriptParserTest, EveryOrderingWord) {
  const std::pair<const char *, uint32_t> cases[] = {
      {"fixed order", 1},
      {"alphabetical order", 3},
      {"reverse alphabetical order", 4},
      {"alignment order", 5},
      {"alignment then size order", 6},
      {"alignment then alphabetical order", 7},
      {"size order", 8},
      {"size then alignment order", 9},
      {"reverse size order", 10},
      {"access then size order", 11},
      {"minimum size order", 12},
      {"maximum packing", 12},
      {"maximum packing order", 12},
      {"locality order", 13},
      {"reference count order", 14},
      {"minimum unwindable order", 15},
      {"file order", 16},
      {"random order", 17},
      {"auto order", 18},
      {"smallest order", 18},
  };
  auto name = [](size_t i) {
    std::string text = "B";
    text += std::to_string(i);
    return text;
  };
  std::string text;
  for (size_t i = 0; i < std::size(cases); ++i)
    text += "define block " + name(i) + " with " + cases[i].first + ", keep;\n";
  text += "define block Default;\n";
  Parse(text);
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(Block(name(i).c_str()).order, cases[i].second) << cases[i].first;
  EXPECT_EQ(Block("Default").order, 18u);
  EXPECT_STREQ(OrderName(16), "with unknown order");
  EXPECT_STREQ(OrderName(20), "with unknown order");
}

TEST_F(ScriptParserTest, SelectorItems) {
  Parse("define block Inner;\n"
        "define block Outer {\n"
        "  ro, rx, rw, zi, init_array, fini_array, unwindable,\n"
        "  section .text.*, symbol main, first section .vectors, last symbol end_marker,\n"
        "  block Inner, copy of block Inner,\n"
        "} except { zi, section .bss.noinit, symbol skip };\n");
  const SectionSelector &selector = Block("Outer").selector;
  EXPECT_EQ(selector.kindMask, 15u);
  EXPECT_EQ(selector.specialMask, 0xC000u);
  EXPECT_EQ(selector.unwindMask, 0x100u);
  EXPECT_EQ(selector.sectionNames, (std::vector<std::string>{".text.*", ".vectors"}));
  EXPECT_EQ(selector.symbolNames, (std::vector<std::string>{"main", "end_marker"}));
  EXPECT_EQ(selector.firstSections, (std::vector<std::string>{".vectors"}));
  EXPECT_EQ(selector.lastSymbols, (std::vector<std::string>{"end_marker"}));
  ASSERT_EQ(selector.blocks.size(), 1u);
  EXPECT_EQ(selector.blocks[0], &Block("Inner"));
  EXPECT_TRUE(Block("Outer").nestedBlocks.empty()); // named, not declared inside
  ASSERT_EQ(selector.copiedBlocks.size(), 1u);
  EXPECT_EQ(selector.copiedBlocks[0]->block, &Block("Inner"));
  EXPECT_EQ(selector.except.kindMask, 8u);
  EXPECT_EQ(selector.except.sectionNames, (std::vector<std::string>{".bss.noinit"}));
  EXPECT_EQ(selector.except.symbolNames, (std::vector<std::string>{"skip"}));
}

TEST_F(ScriptParserTest, InitializeStatements) {
  Parse("initialize by copy with packing = lz77, simple ranges { rw };\n"
        "initialize by copy { section .data };\n"
        "initialize manually { section .ram_code };\n"
        "do not initialize { section .noinit };\n"
        "initialize by calling board_init { section .dma };\n");
  std::vector<InitializeTask *> tasks = TasksOf<InitializeTask>();
  ASSERT_EQ(tasks.size(), 4u);
  EXPECT_EQ(tasks[0]->method, uint32_t(InitLzss));
  EXPECT_EQ(tasks[1]->method, uint32_t(InitCopy));
  EXPECT_EQ(tasks[2]->method, uint32_t(InitManual));
  EXPECT_EQ(tasks[3]->method, uint32_t(InitNone));
  std::vector<InitializeCallingTask *> calls = TasksOf<InitializeCallingTask>();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0]->function->name, "board_init");
  EXPECT_TRUE(linker.requiredNames.count("board_init"));
  EXPECT_FALSE(linker.globalSymbols.count("board_init"));
}

TEST_F(ScriptParserTest, PackingWords) {
  const std::pair<const char *, uint32_t> cases[] = {{"none", InitCopy},   {"zeros", InitZero},
                                                     {"packbits", InitPackbits}, {"zpak", InitZpak},
                                                     {"lzss", InitLzss},   {"auto", InitAuto},
                                                     {"smallest", InitAuto}};
  std::string text;
  for (const auto &[word, method] : cases)
    text += std::string("initialize by copy with packing = ") + word + " { rw };\n";
  Parse(text);
  std::vector<InitializeTask *> tasks = TasksOf<InitializeTask>();
  ASSERT_EQ(tasks.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(tasks[i]->method, cases[i].second) << cases[i].first;
}

TEST_F(ScriptParserTest, InitializeBySymbolIsRemarkedOnRequest) {
  linker.SetFlag(Flag::WarnDeprecated);
  Parse("\n  initialize by symbol f { rw };");
  ASSERT_EQ(linker.diagnostics.size(), 2u);
  EXPECT_EQ(linker.diagnostics[0], "t.icf:2:3: remark: 'initialize by symbol' is deprecated and will be removed; "
                                   "please use 'initialize by calling' instead");
  EXPECT_EQ(TasksOf<InitializeCallingTask>().size(), 1u);
}

TEST_F(ScriptParserTest, AssertForms) {
  Parse("assert 1 == 1;\n"
        "assert 2 with warning \"two\";\n"
        "assert with remark \"many\" { 3, 4 };\n"
        "assert { 5, };\n");
  std::vector<AssertTask *> asserts = TasksOf<AssertTask>();
  ASSERT_EQ(asserts.size(), 5u);
  EXPECT_EQ(asserts[0]->severity, uint32_t(SeverityError));
  EXPECT_EQ(asserts[0]->message, "");
  EXPECT_EQ(asserts[0]->where.column, 8u);
  EXPECT_EQ(asserts[1]->severity, uint32_t(SeverityWarning));
  EXPECT_EQ(asserts[1]->message, "two");
  EXPECT_EQ(asserts[2]->severity, uint32_t(SeverityRemark));
  EXPECT_EQ(asserts[3]->message, "many");
  EXPECT_EQ(asserts[3]->where.line, 3u);
  EXPECT_EQ(asserts[3]->where.column, 32u);
  EXPECT_EQ(asserts[4]->severity, uint32_t(SeverityError));
}

TEST_F(ScriptParserTest, UserDefinedSectionsStoreDataInTargetOrder) {
  Parse("option \"--big-endian\";\n"
        "define root section .ids with alignment = 4, readwrite access {\n"
        "  ids_begin: u16 0x12345, i8 0 - 1, sdata32 0xA1B2C3D4, ids_end:\n"
        "};\n");
  ASSERT_EQ(linker.rootSections.size(), 1u);
  LinkSection &section = *linker.rootSections[0];
  EXPECT_EQ(section.Name(), ".ids");
  EXPECT_EQ(section.sh_flags, uint32_t(kShfAlloc | kShfWrite));
  EXPECT_EQ(section.sh_addralign, 4u);
  EXPECT_EQ(section.index, kIndexLinker);
  ASSERT_EQ(section.Size(), 7u);
  std::vector<uint8_t> bytes(section.Contents(), section.Contents() + 7);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0x23, 0x45, 0xFF, 0xA1, 0xB2, 0xC3, 0xD4}));
  EXPECT_EQ(linker.globalSymbols.at("ids_begin")->value, 0u);
  EXPECT_EQ(linker.globalSymbols.at("ids_end")->value, 7u);
  EXPECT_EQ(linker.globalSymbols.at("ids_end")->section, &section);
  EXPECT_TRUE(linker.contentSections.count(&section));
  ASSERT_EQ(linker.sectionWorklist.size(), 1u);
  EXPECT_EQ(linker.sectionWorklist[0], &section);
}

TEST_F(ScriptParserTest, OverlappingFillsAreReportedOnce) {
  Parse("define region A = [from 0 size 0x100];\n"
        "fill A with 0xAA;\n"
        "place in [from 0x80 size 0x100] with fill = 0x55 { rw };\n"
        "fill [from 0x200 size 0x10] with 0x1FF;\n");
  ASSERT_EQ(linker.fills.size(), 2u);
  EXPECT_EQ(linker.fills[1].fillByte, 0xFF);
  EXPECT_EQ(linker.ErrorCount(), 1u);
  ASSERT_EQ(linker.diagnostics.size(), 5u);
  EXPECT_EQ(linker.diagnostics[0],
            "t.icf:3:56: error: Region (or part of region) is already filled by other 'fill' statement");
  EXPECT_EQ(linker.diagnostics[1], "t.icf:3:56: error: Already-Filled ranges: [0x00000000 to 0x000000ff]");
  EXPECT_EQ(linker.diagnostics[2], "t.icf:3:56: error: Requested fill ranges: [0x00000080 to 0x0000017f]");
  EXPECT_EQ(linker.diagnostics[3], "t.icf:3:56: error: Overlapping ranges: [0x00000080 to 0x000000ff]");
}

TEST_F(ScriptParserTest, IntegrityChecksMakeSections) {
  Parse("define region ROM = [from 0x8000000 size 0x1000];\n"
        "place in ROM { integrity check of ROM with fill = 0xFF algorithm = \"SHA-256\",\n"
        "               integrity check of [from 0 size 4] };\n");
  ASSERT_EQ(linker.icvSections.size(), 2u);
  LinkICVSection *sha = *linker.icvSections.begin();
  EXPECT_EQ(sha->Name(), ".linker.rodata.icv.08000000-08000fff.SHA-256");
  EXPECT_EQ(sha->Size(), 32u);
  EXPECT_EQ(sha->fillByte, 0xFF);
  LinkICVSection *crc = *std::next(linker.icvSections.begin());
  EXPECT_EQ(crc->Name(), ".linker.rodata.icv.00000000-00000003.CRC-32");
  EXPECT_EQ(crc->Size(), 4u);
  EXPECT_EQ(linker.placementBlocks[0]->selector.checks.size(), 2u);
}

TEST_F(ScriptParserTest, AnUnknownIntegrityAlgorithmListsTheKnownOnes) {
  Parse("keep { integrity check of [from 0 size 4] with algorithm = CRC99 };");
  EXPECT_TRUE(linker.icvSections.empty());
  EXPECT_EQ(linker.ErrorCount(), 1u);
  ASSERT_GT(linker.diagnostics.size(), 3u);
  EXPECT_EQ(linker.diagnostics[0], "t.icf:1:60: error: integrity check algorithm 'CRC99' not recognized");
  EXPECT_EQ(linker.diagnostics[1], "t.icf:1:60: remark: valid integrity check algorithms are:");
  EXPECT_EQ(linker.diagnostics[2], "t.icf:1:60: remark: - Adler-32");
  std::vector<std::string> listed(linker.diagnostics.begin() + 2, linker.diagnostics.end() - 1);
  EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end()));
}

TEST_F(ScriptParserTest, DefineSymbolRetriesUntilTheValueIsKnown) {
  Parse("define symbol early = 0x100;\n"
        "define exported symbol alias = target;\n"
        "define symbol late = target + 4;\n");
  EXPECT_EQ(linker.globalSymbols.at("early")->value, 0x100u);
  std::vector<DefineSymbolTask *> tasks = TasksOf<DefineSymbolTask>();
  EXPECT_EQ(tasks[0]->done, 1);
  EXPECT_EQ(tasks[1]->done, 0);
  EXPECT_EQ(tasks[1]->exported, 1);
  EXPECT_EQ(tasks[2]->done, 0);

  DefineGlobalSymbol(linker, "target", 0x2000);
  linker.DefineSymbols();
  EXPECT_EQ(tasks[1]->done, 1);
  EXPECT_EQ(linker.globalSymbols.at("alias")->Address(), 0x2000u);
  EXPECT_EQ(linker.globalSymbols.at("late")->value, 0x2004u);
}

TEST_F(ScriptParserTest, CommandLineDefinitionsBecomeDefineStatements) {
  Parse("");
  linker.symbolDefinitions = {"start=0x1000", "alias=main", " spaced = 1"};
  linker.mainTask.reset();
  linker.diagnostics.clear();
  std::string log = CaptureLog([&] {
    LogIndent();
    Parse("");
  });
  EXPECT_EQ(log, "  Define symbols added by command line:\n"
                 "      Define symbol start as 0x1000\n"
                 "      Define global symbol start = 0x00001000\n"
                 "      Define symbol alias as main\n"
                 "      Define symbol  spaced  as  1\n");
  EXPECT_EQ(linker.globalSymbols.at("start")->value, 0x1000u);
  EXPECT_FALSE(linker.globalSymbols.count("alias"));
  EXPECT_FALSE(linker.globalSymbols.count(" spaced "));
  DefineGlobalSymbol(linker, "main", 0x80);
  DefineGlobalSymbol(linker, " 1", 0x90);
  linker.DefineSymbols();
  EXPECT_EQ(linker.globalSymbols.at("alias")->Address(), 0x80u);
  EXPECT_EQ(linker.globalSymbols.at(" spaced ")->Address(), 0x90u);
  EXPECT_EQ(linker.ErrorCount(), 0u);

  linker.symbolDefinitions = {"novalue"};
  EXPECT_EQ(FatalMessage([&] { Parse(""); }), "error: syntax error in linker definition 'novalue'");
}

TEST_F(ScriptParserTest, CommandLineRegionsComeFirst) {
  linker.regionDefinitions = {"RAM=4K@0x20000000", "FLASH=0x100@0", "RAM=1K@0x30000000"};
  std::string log = CaptureLog([&] {
    LogIndent();
    Parse("define region OTHER = [from 0x100 size 4];\n");
  });
  EXPECT_EQ(log, "  Define regions added by command line:\n"
                 "      Add 'RAM' starting at 0x20000000 of size 0x00001000\n"
                 "      Add 'FLASH' starting at 0x00000000 of size 0x00000100\n"
                 "      Add 'RAM' starting at 0x30000000 of size 0x00000400\n");
  std::vector<DefineRegionTask *> regions = TasksOf<DefineRegionTask>();
  ASSERT_EQ(regions.size(), 3u);
  EXPECT_EQ(regions[0]->name, "FLASH");
  EXPECT_EQ(regions[1]->name, "RAM");
  EXPECT_EQ(LongText(regions[1]->ranges), "[0x20000000 to 0x20000fff] + [0x30000000 to 0x300003ff]");
  EXPECT_EQ(regions[2]->name, "OTHER");

  for (const char *bad : {"RAM", "RAM@4K=0"}) {
    linker.regionDefinitions = {bad};
    EXPECT_EQ(FatalMessage([&] { Parse(""); }),
              std::string("error: syntax error in --add-region definition '") + bad + "'");
  }
}

TEST_F(ScriptParserTest, DumpPrintsEveryStatement) {
  Parse("define region ROM = [from 0 size 0x100] | [from 0x400 size 0x100];\n"
        "define symbol s = 1;\n"
        "define block C;\n"
        "define block B with size = 0x40 { block I { section .x }, copy of block C, integrity check of [0 size 4] };\n"
        "keep { section .vectors, init_array, block B };\n"
        "initialize by copy with packing = zpak { rw };\n"
        "do not initialize { section .noinit };\n"
        "initialize by calling hw_init { fini_array };\n"
        "place at 0x40 { section .a };\n"
        "place in ROM then [from 0x800 size 4] with size order { ro } except { section .v2 };\n"
        "assert 1 with warning \"m\";\n");
  std::string dump = Dump();
  std::string headline = "***                             Internal linker script                              ***\n";
  ASSERT_NE(dump.find(headline), std::string::npos);
  EXPECT_EQ(dump.substr(dump.find(headline) + headline.size()),
            "***                                                                                 ***\n"
            "***************************************************************************************\n"
            "\n"
            "  define region ROM = [0x00000000 to 0x000000ff] + [0x00000400 to 0x000004ff]\n"
            "  define symbol s\n"
            "  define C\n"
            "  define I\n"
            "  define B\n"
            "      with fixed size 0x40\n"
            "      I\n"
            "      copy of C\n"
            "      .linker.rodata.icv.00000000-00000003.CRC-32\n"
            "  keep {init_array,section .vectors,B,}\n"
            "  initialize by zpak {}\n"
            "  do not initialize {section .noinit,}\n"
            "  initialize by calling hw_init {fini_array,}\n"
            "  assert at line 11, col 8 with warning \"m\"\n"
            "  place at 0x00000040\n"
            "  place in [0x00000000 to 0x000000ff] + [0x00000400 to 0x000004ff] then [0x00000800 to 0x00000803] "
            "with size order\n");
}

} // namespace
} // namespace tanrek
