// Selection: the wildcard matcher, the strength rules between competing
// statements, except/first/last clauses, keep statements, the empty-select
// warning and the unused inputs.
#include "input/input_file.h"
#include "placement/selection.h"
#include "script/script_task.h"
#include "symbols/symbol.h"
#include "test_support.h"

#include <gmock/gmock.h>

#include <memory>

namespace tanrek {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing_support::CaptureLog;
using testing_support::LinkerTest;

TEST(MatchPatternTest, WildcardsCaretsAndBacktracking) {
  struct Case {
    const char *pattern, *name;
    bool match;
  } const kCases[] = {
      {".text*", ".text", true},       {".text*", ".text.main", true}, {".text*", ".tex", false},
      {".tex?", ".text", true},        {".tex?", ".tex", false},       {".tex?", ".texts", false},
      {"^.text", ".text", true},       {"^.text", ".text.a", false},  {".te^xt", ".text", true},
      {"*.o", "a.b.o", true},          {"*ab", "aab", true},          {"a*b*c", "aXbYbZc", true},
      {"a*b*c", "aXbYbZ", false},      {"*", "", true},               {"", "", true},
      {"", "a", false},                {"?", "", false},              {"*?", "", false},
      {"*x*", "abc", false},           {".data", ".DATA", false},     {"*^", "abc", true},
  };
  for (const Case &c : kCases)
    EXPECT_EQ(MatchPattern(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
  EXPECT_TRUE(IsWildcardPattern("^.text"));
  EXPECT_FALSE(IsWildcardPattern(".text"));
}

class SelectionTest : public LinkerTest {
protected:
  void TearDown() override {
    linker.sectionsToPlace.clear();
    linker.contentSections.clear();
    LinkerTest::TearDown();
  }

  // A reached section of the given kind.
  LinkSection &Section(const std::string &name, uint32_t flags = kShfAlloc | kShfExecinstr,
                       uint32_t type = kShtProgbits) {
    sections.push_back(std::make_unique<LinkSection>(name, 1));
    LinkSection &section = *sections.back();
    section.sh_type = type;
    section.sh_flags = flags;
    section.sh_size = 4;
    linker.sectionsToPlace.insert(&section);
    linker.contentSections.insert(&section);
    return section;
  }
  LinkBlock &Block(const std::string &name, std::vector<std::string> patterns = {}) {
    blocks.push_back(std::make_unique<LinkBlock>(BlockPlaceIn, name));
    blocks.back()->selector.sectionNames = std::move(patterns);
    return *blocks.back();
  }
  uint32_t Errors() const { return linker.ErrorCount(); }

  std::vector<std::unique_ptr<LinkSection>> sections;
  std::vector<std::unique_ptr<LinkBlock>> blocks;
};

TEST_F(SelectionTest, NameBeatsWildcardWhicheverComesFirst) {
  LinkSection &main = Section(".text.main");
  LinkBlock &wide = Block("wide", {".text*"});
  LinkBlock &exact = Block("exact", {".text.main"});
  std::string log = CaptureLog([&] {
    SelectBlockInputs(linker, wide);
    SelectBlockInputs(linker, exact);
  });
  EXPECT_EQ(main.selectedBy, &exact);
  EXPECT_TRUE(wide.members.empty());
  EXPECT_THAT(log, HasSubstr("Remove section .text.main from 'place in' block wide using name as following "
                             "placement takes precedence\n"));
  EXPECT_THAT(log, HasSubstr("Select section .text.main (.text.main) from [ Linker created ] using name\n"));

  // The other way round the later, weaker claim is ignored.
  LinkSection &other = Section(".text.other");
  LinkBlock &exact2 = Block("exact2", {".text.other"});
  LinkBlock &wide2 = Block("wide2", {".text.oth*"});
  SelectBlockInputs(linker, exact2);
  SelectBlockInputs(linker, wide2);
  EXPECT_EQ(other.selectedBy, &exact2);
  EXPECT_EQ(Errors(), 0u);
}

TEST_F(SelectionTest, EqualNameClaimsConflictOnceHoweverOftenSelectionRuns) {
  LinkSection &data = Section(".data.x", kShfAlloc | kShfWrite);
  LinkBlock &a = Block("a", {".data.x"});
  LinkBlock &b = Block("b", {".data.x"});
  for (int pass = 0; pass < 3; ++pass) {
    SelectBlockInputs(linker, a);
    SelectBlockInputs(linker, b);
  }
  EXPECT_EQ(data.selectedBy, &a);
  EXPECT_EQ(Errors(), 1u);
  EXPECT_THAT(linker.diagnostics.back(), HasSubstr("error: section .data.x has conflicting placement: selected "
                                                   "by name into 'place in' block a and into 'place in' block b"));
  EXPECT_THAT(a.members, ElementsAre(&data));
  EXPECT_TRUE(b.members.empty());
}

TEST_F(SelectionTest, EqualMaskClaimsGoToTheFirstStatementSilently) {
  LinkSection &code = Section(".text.f");
  LinkSection &constant = Section(".rodata.c", kShfAlloc);
  LinkSection &zeroes = Section(".bss.z", kShfAlloc | kShfWrite, kShtNobits);
  LinkBlock &first = Block("first");
  first.selector.kindMask = kSelectReadonly | kSelectZeroinit;
  LinkBlock &second = Block("second");
  second.selector.kindMask = kSelectReadonly | kSelectReadexec;
  SelectBlockInputs(linker, first);
  SelectBlockInputs(linker, second);
  EXPECT_EQ(constant.selectedBy, &first);
  EXPECT_EQ(zeroes.selectedBy, &first);
  EXPECT_EQ(code.selectedBy, &second);
  EXPECT_EQ(Errors(), 0u);
}

TEST_F(SelectionTest, ExceptFirstAndLastClauses) {
  LinkSection &a = Section(".text.a");
  LinkSection &b = Section(".text.b");
  LinkSection &c = Section(".text.c");
  LinkSection &d = Section(".text.d");
  LinkBlock &block = Block("code", {".text*", ".text.d", ".text.a"});
  block.selector.except.sectionNames = {".text.b"};
  block.selector.firstSections = {".text.d"};
  block.selector.lastSections = {".text.a"};
  block.order = 1; // fixed order: the members stay as selected
  std::string log = CaptureLog([&] { SelectBlockInputs(linker, block); });
  EXPECT_EQ(b.selectedBy, nullptr);
  // The name claims on .text.d and .text.a are stronger than their
  // wildcard claims: both move to the end of the list.
  EXPECT_THAT(block.members, ElementsAre(&c, &d, &a));
  EXPECT_THAT(block.placedFirst, ElementsAre(&d));
  EXPECT_THAT(block.placedLast, ElementsAre(&a));
  EXPECT_THAT(log, HasSubstr("NOTE: section .text.d is placed first\n"));
  EXPECT_THAT(log, HasSubstr("NOTE: section .text.a is placed last\n"));
  // A second pass lists the edge items once.
  SelectBlockInputs(linker, block);
  EXPECT_THAT(block.placedFirst, ElementsAre(&d));
  EXPECT_EQ(a.selectStrength, uint32_t(StrengthName));
}

TEST_F(SelectionTest, SymbolNamesSelectTheDefiningReachedSection) {
  LinkSection &text = Section(".text.handler");
  Symbol handler;
  handler.name = "Handler";
  handler.section = &text;
  linker.globalSymbols["Handler"] = &handler;
  LinkBlock &block = Block("b");
  block.selector.symbolNames = {"Handler", "Missing"};
  SelectBlockInputs(linker, block);
  EXPECT_THAT(block.members, ElementsAre(&text));
  EXPECT_EQ(text.selectStrength, uint32_t(StrengthName));
  linker.globalSymbols.clear();
}

TEST_F(SelectionTest, ExceptionIndexAndPlainSectionsCannotShareABlock) {
  LinkSection &index = Section(".ARM.exidx.f", kShfAlloc, kShtArmExidx);
  index.state |= StateExceptionIndex;
  Section(".text.f");
  LinkBlock &tables = Block("tables", {".ARM.exidx*"});
  SelectBlockInputs(linker, tables);
  EXPECT_TRUE(tables.state & StateExceptionBlock);
  EXPECT_EQ(Errors(), 0u);
  LinkSection &other = Section(".ARM.exidx.g", kShfAlloc, kShtArmExidx);
  other.state |= StateExceptionIndex;
  Section(".text.g");
  LinkBlock &mixed = Block("mixed", {"*.g"});
  SelectBlockInputs(linker, mixed);
  EXPECT_EQ(Errors(), 1u);
  EXPECT_EQ(linker.diagnostics.back(), "error: Exception table sections and plain sections cannot be mixed");
}

TEST_F(SelectionTest, EmptyExactSelectionsWarnOnlyInTheEmptySelectsPass) {
  Section(".text.a");
  LinkBlock &block = Block("b", {".text.none", ".none*"});
  SelectBlockInputs(linker, block);
  EXPECT_TRUE(linker.diagnostics.empty());
  linker.warnEmptySelects = true;
  SelectBlockInputs(linker, block);
  EXPECT_THAT(linker.diagnostics,
              ElementsAre("warning: exact section selection 'section \".text.none\"' finds no matching sections"));
}

TEST_F(SelectionTest, KeepSeesUnreachedSectionsAndQueuesThemOnce) {
  LinkSection &reached = Section(".keep.a");
  reached.state |= StateQueued;
  LinkSection &loose = Section(".keep.b");
  linker.sectionsToPlace.erase(&loose);
  Section(".keep.c");
  LinkBlock block(BlockDefined, "B");
  SectionSelector selector;
  selector.sectionNames = {".keep*"};
  selector.except.sectionNames = {".keep.c"};
  selector.blocks = {&block};
  KeepTask task(selector);
  std::string log = CaptureLog([&] {
    LogIndent();
    task.ApplyKeep(linker);
  });
  EXPECT_EQ(log, "  Applying keep\n"
                 "      Keeping section .keep.a\n"
                 "      Keeping section .keep.b\n"
                 "      Keeping block B\n");
  EXPECT_THAT(linker.sectionWorklist, ElementsAre(&loose));
  EXPECT_EQ(linker.keptSections.size(), 2u);
  EXPECT_TRUE(block.kept);
  EXPECT_TRUE(linker.mappedBlocks.count(&block));
  linker.sectionWorklist.clear();
  linker.mappedBlocks.clear();
}

TEST_F(SelectionTest, UnusedInputsAreTheFilesWithoutReachedSections) {
  for (const char *name : {"first.o", "second.o", "third.o"})
    linker.inputs.push_back(std::make_unique<InputFile>(nullptr, name, false));
  Section(".text.a").file = linker.inputs[0].get();
  Section(".text.c").file = linker.inputs[2].get();
  EXPECT_THAT(UnusedInputs(linker), ElementsAre(linker.inputs[1].get()));
  linker.inputs.clear();
}

} // namespace
} // namespace tanrek
