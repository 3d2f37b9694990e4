// Linker expressions: precedence, unsigned arithmetic, the defined flag of
// every kind of primary, and the assertion check.
#include "input/input_file.h"
#include "script/linker_expr.h"
#include "script/script_task.h"
#include "symbols/symbol_table.h"
#include "test_support.h"

namespace tanrek {
namespace {

using testing_support::FatalMessage;
using testing_support::LinkerTest;

class LinkerExprTest : public LinkerTest {
protected:
  // Parses the whole text as one expression and evaluates it.
  ExprValue Eval(const std::string &text) {
    ScriptLexer lexer("t.icf", text.data(), text.size());
    lexer.Next();
    ExprPtr expr = ParseExpr(linker, lexer);
    EXPECT_TRUE(lexer.Is(Token::Eof)) << "unparsed rest in " << text;
    return Evaluate(linker, *expr);
  }

  uint32_t Value(const std::string &text) {
    ExprValue result = Eval(text);
    EXPECT_TRUE(result.defined) << text;
    return result.value;
  }

  bool Defined(const std::string &text) { return Eval(text).defined; }

  // A section of `size` bytes in a file of its own, optionally placed.
  LinkSection *Section(const char *name, uint32_t size, uint32_t alignment, std::optional<uint32_t> address) {
    linker.inputs.push_back(std::make_unique<InputFile>(nullptr, "x.o", false));
    auto section = std::make_unique<LinkSection>(name, 1);
    section->sh_size = size;
    section->sh_addralign = alignment;
    LinkSection *added = linker.inputs.back()->AddSection(std::move(section));
    if (address)
      added->Map(*address);
    return added;
  }

  // A global symbol of `size` bytes at `value` in `section`, part of the
  // image when `linked`.
  void SymbolIn(const char *name, LinkSection *section, uint32_t value, uint32_t size, bool linked) {
    Symbol *symbol = MakeLinkerSymbol(linker, name, value);
    symbol->section = section;
    symbol->sectionIndex = 1;
    symbol->size = size;
    linker.globalSymbols[symbol->name] = symbol;
    if (linked)
      linker.imageSymbols.insert(symbol);
  }
};

TEST_F(LinkerExprTest, PrecedenceAndUnsignedArithmetic) {
  EXPECT_EQ(Value("1 + 2 * 3"), 7u);
  EXPECT_EQ(Value("10 - 2 - 3"), 5u);
  EXPECT_EQ(Value("7 / 2"), 3u);
  EXPECT_EQ(Value("7 % 4"), 3u);
  EXPECT_EQ(Value("0 - 1"), 0xFFFFFFFFu);
  EXPECT_EQ(Value("0x80000000 * 2"), 0u);
  EXPECT_EQ(Value("1 < 2 == 1"), 1u);
  EXPECT_EQ(Value("0 - 1 > 1"), 1u); // unsigned comparison
  EXPECT_EQ(Value("(1 + 2) * 3"), 9u);
  EXPECT_EQ(Value("~0"), 0xFFFFFFFFu);
  EXPECT_EQ(Value("!5 + !0"), 1u);
  EXPECT_EQ(Value("1 || 0 && 0"), 1u); // && binds tighter than ||
  EXPECT_EQ(Value("0 => 0"), 1u);
  EXPECT_EQ(Value("1 => 0 || 1"), 1u); // => is the loosest level
  EXPECT_EQ(Value("2 <= 2 != 0"), 1u);
}

TEST_F(LinkerExprTest, DivisionByZeroDoesNotStopTheLink) {
  EXPECT_EQ(Value("7 / 0"), 0u);
  EXPECT_EQ(Value("7 % 0"), 7u);
  ExprValue undefinedDivisor = Eval("7 / nosuch");
  EXPECT_FALSE(undefinedDivisor.defined);
}

TEST_F(LinkerExprTest, LogicalOperatorsTakeDefinedFromTheRightUnlessTheLeftIsUnknown) {
  DefineGlobalSymbol(linker, "b", 4);
  EXPECT_EQ(Value("b"), 4u);
  ExprValue aAndB = Eval("a && b");
  EXPECT_TRUE(aAndB.defined);
  EXPECT_EQ(aAndB.value, 0u);
  EXPECT_FALSE(Defined("b && a"));
  EXPECT_FALSE(Defined("b || a"));
  EXPECT_TRUE(Defined("a => a"));
  EXPECT_FALSE(Defined("b + a"));
  EXPECT_FALSE(Defined("~a"));
  EXPECT_FALSE(Defined("a < 1"));
}

TEST_F(LinkerExprTest, SymbolsAreDefinedOnceTheirSectionIsPlaced) {
  LinkSection *placed = Section(".text", 0x20, 4, 0x1000);
  LinkSection *unplaced = Section(".data", 0x10, 8, std::nullopt);
  SymbolIn("f", placed, 8, 4, true);
  SymbolIn("d", unplaced, 0, 0x10, true);
  SymbolIn("g", placed, 0, 0x20, false);

  EXPECT_EQ(Value("f"), 0x1008u);
  EXPECT_FALSE(Defined("d"));
  EXPECT_EQ(Value("linked symbol f"), 1u);
  EXPECT_EQ(Value("linked symbol g"), 0u);
  EXPECT_EQ(Value("linked symbol nosuch"), 0u);

  EXPECT_EQ(Value("start of symbol f"), 0x1008u);
  EXPECT_EQ(Value("size symbol f"), 4u);
  EXPECT_EQ(Value("after symbol f"), 0x100Cu);
  EXPECT_EQ(Value("end of symbol f"), 0x100Bu);
  EXPECT_FALSE(Defined("alignment of symbol f")); // not at the start of its section
  EXPECT_FALSE(Defined("start of symbol g"));     // not linked
  EXPECT_FALSE(Defined("start of symbol d"));     // linked but not placed
  EXPECT_EQ(Value("size of symbol d"), 0x10u);
  EXPECT_EQ(Value("alignment of symbol d"), 8u);
}

TEST_F(LinkerExprTest, SectionAttributesNeedExactlyOneSectionOfTheName) {
  Section(".vectors", 0x40, 0x80, 0);
  Section(".twice", 4, 4, 0x100);
  Section(".twice", 4, 4, 0x200);
  Section(".later", 0x30, 2, std::nullopt);
  EXPECT_EQ(Value("size of section .vectors"), 0x40u);
  EXPECT_EQ(Value("end of section .vectors"), 0x3Fu);
  EXPECT_EQ(Value("alignment of section .vectors"), 0x80u);
  EXPECT_FALSE(Defined("size of section .twice"));
  EXPECT_FALSE(Defined("size of section .none"));
  EXPECT_EQ(Value("size of section .later"), 0x30u);
  EXPECT_FALSE(Defined("start of section .later"));
}

TEST_F(LinkerExprTest, BlockAttributesNeedAPlacedBlockOfTheMappedSet) {
  auto owned = std::make_unique<LinkBlock>(BlockDefined, "HEAP");
  LinkBlock *heap = owned.get();
  heap->size = 0x800;
  heap->alignment = 8;
  linker.blockTable.emplace("HEAP", std::move(owned));
  EXPECT_FALSE(Defined("size of block HEAP"));
  linker.mappedBlocks.insert(heap);
  EXPECT_FALSE(Defined("start of block HEAP"));
  heap->Map(0x20000000);
  EXPECT_EQ(Value("start of block HEAP"), 0x20000000u);
  EXPECT_EQ(Value("after block HEAP"), 0x20000800u);
  EXPECT_EQ(Value("end block HEAP"), 0x200007FFu);
  EXPECT_EQ(Value("alignment block HEAP"), 8u);
  EXPECT_FALSE(Defined("size of block STACK"));
}

TEST_F(LinkerExprTest, RegionPrimariesAreEvaluatedWhileParsing) {
  linker.regionTable["ROM"].ranges = {{0x1000, 0x100}, {0x3000, 0x100}};
  linker.regionTable["EMPTY"];
  EXPECT_EQ(Value("start of region ROM"), 0x1000u);
  EXPECT_EQ(Value("end of region ROM"), 0x30FFu);
  EXPECT_EQ(Value("after region ROM"), 0x3100u);
  EXPECT_EQ(Value("size of region ROM"), 0x2100u);
  EXPECT_EQ(Value("end(ROM)"), 0x3100u); // the older form gives the address after
  EXPECT_EQ(Value("start(ROM)"), 0x1000u);
  EXPECT_EQ(Value("size of region EMPTY"), 0u);
  EXPECT_EQ(Value("start of region EMPTY"), 0u);
  EXPECT_EQ(Value("defined region ROM"), 1u);
  EXPECT_EQ(Value("defined region RAM"), 0u);
  EXPECT_TRUE(linker.diagnostics.empty());
}

TEST_F(LinkerExprTest, DeprecatedRegionFormsAreRemarkedOnRequest) {
  linker.regionTable["ROM"].ranges = {{0x1000, 0x100}};
  Value("end(ROM) + start(ROM)");
  EXPECT_TRUE(linker.diagnostics.empty());
  linker.SetFlag(Flag::WarnDeprecated);
  Value("1 +\n  end(ROM)");
  ASSERT_EQ(linker.diagnostics.size(), 1u);
  EXPECT_EQ(linker.diagnostics[0], "t.icf:2:3: remark: 'end(RegionExpr)' is deprecated and will be removed; "
                                   "please use 'end of region' instead");
}

TEST_F(LinkerExprTest, AnAttributeWithoutAnItemIsAnErrorAndZero) {
  EXPECT_EQ(Value("size of"), 0u);
  EXPECT_EQ(linker.ErrorCount(), 1u);
  EXPECT_EQ(linker.diagnostics.back(), "error: expected 'block', 'symbol', or 'region'");
  // The tokens after the attribute are left to the caller.
  ScriptLexer lexer("t.icf", "alignment of region R", 21);
  lexer.Next();
  ParseExpr(linker, lexer);
  EXPECT_EQ(linker.diagnostics.back(), "error: expected 'block', 'symbol', or 'section'");
  EXPECT_TRUE(lexer.Is(Token::Region));
}

TEST_F(LinkerExprTest, DefinedWithoutRegionIsZeroAndLeavesTheRest) {
  ScriptLexer lexer("t.icf", "defined x", 9);
  lexer.Next();
  ExprPtr expr = ParseExpr(linker, lexer);
  EXPECT_EQ(Evaluate(linker, *expr).value, 0u);
  EXPECT_TRUE(lexer.Is(Token::Id));
}

TEST_F(LinkerExprTest, FirstAndLastReadTheUsedPartOfTheMemory) {
  linker.memory = std::make_unique<Memory>();
  linker.memory->used.ranges = {{0x100, 0x10}, {0x200, 0x20}, {0x900, 4}};
  EXPECT_EQ(Value("first([from 0 to 0x7FF])"), 0x100u);
  EXPECT_EQ(Value("last([from 0 to 0x7FF])"), 0x220u);
  EXPECT_EQ(Value("last([from 0x208 size 4])"), 0x20Cu);
  EXPECT_EQ(Value("first([from 0x400 size 0x100])"), 0u);
}

TEST_F(LinkerExprTest, SyntaxErrorsAreFatalAtTheToken) {
  EXPECT_EQ(FatalMessage([&] { Eval("1 +\n  ;"); }), "t.icf:2:3: error: syntax error in expression");
  EXPECT_EQ(FatalMessage([&] { Eval("(1 + 2"); }), "t.icf:1:6: error: syntax error in linker script: expected )");
  EXPECT_EQ(FatalMessage([&] { Eval("linked symbol 5"); }), "t.icf:1:15: error: expected <id> in linker script");
}

TEST_F(LinkerExprTest, NestingIsBoundedBeforeTheStackIs) {
  auto nested = [](int depth) { return std::string(depth, '(') + "1" + std::string(depth, ')'); };
  EXPECT_EQ(Value(nested(200)), 1u);
  EXPECT_EQ(FatalMessage([&] { Eval(nested(300)); }), "t.icf:1:257: error: linker script nested too deeply");
  EXPECT_EQ(Value(std::string(254, '~') + "0"), 0u);

  auto chain = [](int operators) {
    std::string text = "1";
    for (int i = 0; i < operators; ++i)
      text += "+1";
    return text;
  };
  EXPECT_EQ(Value(chain(999)), 1000u);
  EXPECT_EQ(FatalMessage([&] { Eval(chain(1000)); }), "t.icf:1:2001: error: linker expression too deeply nested");
}

TEST_F(LinkerExprTest, ConstantsMustBeDefined) {
  std::string text = "nosuch + 1";
  ScriptLexer lexer("t.icf", text.data(), text.size());
  lexer.Next();
  EXPECT_EQ(FatalMessage([&] { ParseConst(linker, lexer); }),
            "error: linker expression evaluates to undefined when constant expected");
}

TEST_F(LinkerExprTest, AssertionsReportAtTheirExpression) {
  linker.mainTask = std::make_unique<ScriptTask>();
  SourceLocation where{3, 8, "t.icf"};
  auto check = [&](const char *text, const char *message, uint32_t severity) {
    std::string source = text;
    ScriptLexer lexer("t.icf", source.data(), source.size());
    lexer.Next();
    AssertTask task(ParseExpr(linker, lexer), message, severity, where);
    task.Check(linker);
  };
  check("1", "", SeverityError);
  EXPECT_TRUE(linker.diagnostics.empty());
  check("0", "", SeverityError);
  check("0", "stack too small", SeverityWarning);
  check("nosuch", "ignored", SeverityRemark);
  ASSERT_EQ(linker.diagnostics.size(), 3u);
  EXPECT_EQ(linker.diagnostics[0], "t.icf:3:8: error: user assertion failed");
  EXPECT_EQ(linker.diagnostics[1], "t.icf:3:8: warning: user assertion failed: stack too small");
  EXPECT_EQ(linker.diagnostics[2], "t.icf:3:8: remark: user assertion value is undefined, assert failed");
}

} // namespace
} // namespace tanrek
