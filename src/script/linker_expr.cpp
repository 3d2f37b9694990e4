// Parsing and evaluating linker expressions.
//
// Binary operators are left-associative on six levels, from "=>" (loosest)
// to "*", "/" and "%". The logical operators take their defined flag from
// the right operand unless the left one is undefined, which makes "a && b"
// defined (and 0) while a is unknown, but "b && a" undefined.
//
// Addresses are only meaningful once something is placed: an attribute
// that depends on an address (start, end, after) is undefined until its
// block, symbol or section is mapped, and a block's size is final only when
// the block is mapped. So a definition that uses one waits for the pass
// after placement instead of taking an address of 0.
#include "script/linker_expr.h"

#include "driver/diagnostics.h"
#include "driver/linker.h"
#include "input/input_file.h"
#include "script/region.h"
#include "symbols/symbol.h"

#include <array>
#include <initializer_list>

namespace tanrek {

// ---------------------------------------------------------------------------
// Evaluation

void LinkerLiteral::Evaluate(BaseLinker &, ExprValue &result) const { result = {value, true}; }

// The symbol of the global table under `name`, or null.
static Symbol *FindGlobal(const BaseLinker &linker, std::string_view name) {
  auto entry = linker.globalSymbols.find(name);
  return entry == linker.globalSymbols.end() ? nullptr : entry->second;
}

static bool IsPlaced(const Symbol &symbol) { return symbol.section && symbol.section->IsMapped(); }

void LinkerSymbol::Evaluate(BaseLinker &linker, ExprValue &result) const {
  Symbol *symbol = FindGlobal(linker, name);
  if (symbol && IsPlaced(*symbol))
    result = {symbol->Address(), true};
  else
    result = {0, false};
}

static bool IsLinked(const BaseLinker &linker, Symbol *symbol) {
  return symbol && linker.imageSymbols.count(symbol);
}

void LinkerLinkedExpr::Evaluate(BaseLinker &linker, ExprValue &result) const {
  result = {IsLinked(linker, FindGlobal(linker, name)) ? 1u : 0u, true};
}

void LinkerUnary::Evaluate(BaseLinker &linker, ExprValue &result) const {
  operand->Evaluate(linker, result);
  if (!result.defined)
    return;
  result.value = op == Token::Bang ? uint32_t(result.value == 0) : ~result.value;
}

// Unsigned 32-bit arithmetic and comparisons. Division by zero gives 0 and
// the remainder is then the dividend, as the Arm UDIV instruction would
// leave them; neither stops the link.
static uint32_t Arithmetic(Token op, uint32_t left, uint32_t right) {
  switch (op) {
  case Token::Plus:
    return left + right;
  case Token::Minus:
    return left - right;
  case Token::Star:
    return left * right;
  case Token::Slash:
    return right ? left / right : 0;
  case Token::Percent:
    return right ? left % right : left;
  case Token::Equal:
    return left == right;
  case Token::NotEqual:
    return left != right;
  case Token::Less:
    return left < right;
  case Token::LessEqual:
    return left <= right;
  case Token::Greater:
    return left > right;
  case Token::GreaterEqual:
    return left >= right;
  default:
    InternalError("bad binary operator");
  }
}

static bool IsLogical(Token op) { return op == Token::AmpAmp || op == Token::PipePipe || op == Token::Implies; }

static uint32_t Logical(Token op, uint32_t left, uint32_t right) {
  switch (op) {
  case Token::AmpAmp:
    return left != 0 && right != 0;
  case Token::PipePipe:
    return left != 0 || right != 0;
  default: // Implies
    return left == 0 || right != 0;
  }
}

void LinkerBinary::Evaluate(BaseLinker &linker, ExprValue &result) const {
  ExprValue a, b;
  left->Evaluate(linker, a);
  right->Evaluate(linker, b);
  if (IsLogical(op)) {
    result = {Logical(op, a.value, b.value), a.defined ? b.defined : true};
    return;
  }
  result = {Arithmetic(op, a.value, b.value), a.defined && b.defined};
}

// The value of an address attribute of an item at `start` of `size` bytes.
static uint32_t AttributeValue(Token attribute, uint32_t start, uint32_t size, uint32_t alignment) {
  switch (attribute) {
  case Token::Start:
    return start;
  case Token::After:
    return start + size;
  case Token::End:
    return start + size - 1;
  case Token::Size:
    return size;
  default: // Alignment
    return alignment;
  }
}

static bool NeedsAddress(Token attribute) {
  return attribute == Token::Start || attribute == Token::After || attribute == Token::End;
}

void LinkerBlockAttrExpr::Evaluate(BaseLinker &linker, ExprValue &result) const {
  result = {0, false};
  auto entry = linker.blockTable.find(name);
  if (entry == linker.blockTable.end())
    return;
  LinkBlock *block = entry->second.get();
  if (!linker.mappedBlocks.count(block) || !block->IsMapped())
    return;
  result = {AttributeValue(attribute, block->Address(), block->Size(), block->Alignment()), true};
}

void LinkerSymbolAttrExpr::Evaluate(BaseLinker &linker, ExprValue &result) const {
  result = {0, false};
  Symbol *symbol = FindGlobal(linker, name);
  if (!IsLinked(linker, symbol))
    return;
  if (attribute == Token::Alignment) {
    if (symbol->value == 0 && symbol->section)
      result = {symbol->section->Alignment(), true};
    return;
  }
  if (NeedsAddress(attribute) && !IsPlaced(*symbol))
    return;
  result = {AttributeValue(attribute, symbol->Address(), symbol->size, 0), true};
}

// The one section of the link named `name`, or null when there is none or
// more than one.
static LinkSection *UniqueSection(const BaseLinker &linker, std::string_view name) {
  LinkSection *found = nullptr;
  unsigned count = 0;
  auto scan = [&](const InputFile &file) {
    for (LinkSection *section : file.sections)
      if (section && section->name == name) {
        found = section;
        ++count;
      }
  };
  for (const auto &file : linker.inputs)
    scan(*file);
  scan(*linker.linkerInput);
  return count == 1 ? found : nullptr;
}

void LinkerSectionAttrExpr::Evaluate(BaseLinker &linker, ExprValue &result) const {
  result = {0, false};
  LinkSection *section = UniqueSection(linker, name);
  if (!section || (NeedsAddress(attribute) && !section->IsMapped()))
    return;
  result = {AttributeValue(attribute, section->Address(), section->Size(), section->Alignment()), true};
}

void LinkerRegionFunction::Evaluate(BaseLinker &linker, ExprValue &result) const {
  result = {0, true};
  if (!linker.memory)
    return;
  RangeList used = ranges;
  Intersect(used, linker.memory->used);
  if (used.Empty())
    return;
  if (function == Token::First) {
    result.value = used.Lowest();
    return;
  }
  uint64_t highest = 0;
  for (const AddressRange &range : used.ranges)
    highest = std::max<uint64_t>(highest, uint64_t(range.start) + range.size);
  result.value = uint32_t(highest);
}

// ---------------------------------------------------------------------------
// Parsing

namespace {

// Deeper trees are refused; no real expression comes near.
constexpr uint32_t kMaxDepth = 1000;

// The binary operators of each level, loosest first.
const std::array<std::initializer_list<Token>, 6> kLevels = {{
    {Token::Implies},
    {Token::PipePipe},
    {Token::AmpAmp},
    {Token::Equal, Token::NotEqual, Token::Less, Token::LessEqual, Token::Greater, Token::GreaterEqual},
    {Token::Plus, Token::Minus},
    {Token::Star, Token::Slash, Token::Percent},
}};

class ExprParser {
public:
  ExprParser(BaseLinker &linker, ScriptLexer &lexer) : linker(linker), lexer(lexer) {}

  ExprPtr Level(size_t level) {
    if (level == kLevels.size())
      return Primary();
    ExprPtr left = Level(level + 1);
    while (IsOneOf(lexer.kind, kLevels[level])) {
      Token op = lexer.kind;
      lexer.Next();
      left = Bounded(std::make_unique<LinkerBinary>(op, std::move(left), Level(level + 1)));
    }
    return left;
  }

private:
  static bool IsOneOf(Token kind, std::initializer_list<Token> kinds) {
    for (Token candidate : kinds)
      if (candidate == kind)
        return true;
    return false;
  }

  static ExprPtr Literal(uint32_t value) { return std::make_unique<LinkerLiteral>(value); }

  // A chain like 1 + 1 + ... builds a tree as deep as it is long without
  // any nesting in the text.
  ExprPtr Bounded(ExprPtr node) {
    if (node->depth > kMaxDepth)
      FatalAt(lexer.tokenPos, "linker expression too deeply nested");
    return node;
  }

  std::string Name() {
    std::string name;
    lexer.ExpectText(Token::Id, name);
    return name;
  }

  ExprPtr Primary() {
    NestingGuard guard(lexer);
    std::string text;
    if (lexer.AcceptText(Token::Literal, text))
      return Literal(ConvertNumber(linker, text));
    if (lexer.AcceptText(Token::Id, text))
      return std::make_unique<LinkerSymbol>(text);
    if (lexer.Accept(Token::LParen)) {
      ExprPtr inner = Level(0);
      lexer.Expect(Token::RParen);
      return inner;
    }
    for (Token op : {Token::Tilde, Token::Bang})
      if (lexer.Accept(op))
        return Bounded(std::make_unique<LinkerUnary>(op, Primary()));
    if (lexer.Accept(Token::Linked)) {
      lexer.Expect(Token::Symbol);
      return std::make_unique<LinkerLinkedExpr>(Name());
    }
    if (lexer.Accept(Token::Defined)) {
      if (!lexer.Accept(Token::Region))
        return Literal(0);
      return Literal(linker.regionTable.count(Name()) ? 1 : 0);
    }
    for (Token attribute : {Token::Start, Token::End, Token::Size, Token::Alignment, Token::After}) {
      SourceLocation where;
      if (lexer.AcceptAt(attribute, where))
        return Attribute(attribute, where);
    }
    for (Token function : {Token::First, Token::Last})
      if (lexer.Accept(function)) {
        lexer.Expect(Token::LParen);
        RangeList ranges;
        ParseRegionExpr(linker, lexer, ranges);
        lexer.Expect(Token::RParen);
        return std::make_unique<LinkerRegionFunction>(function, std::move(ranges));
      }
    FatalAt(lexer.tokenPos, "syntax error in expression");
  }

  // After an attribute keyword: "of", then the kind of item and its name.
  ExprPtr Attribute(Token attribute, const SourceLocation &where) {
    if ((attribute == Token::Start || attribute == Token::End) && lexer.Is(Token::LParen))
      return OldRegionForm(attribute, where);
    if (attribute != Token::After)
      lexer.Accept(Token::Of);
    if (lexer.Accept(Token::Block))
      return std::make_unique<LinkerBlockAttrExpr>(Name(), attribute);
    if (lexer.Accept(Token::Symbol))
      return std::make_unique<LinkerSymbolAttrExpr>(Name(), attribute);
    if (lexer.Accept(Token::Section))
      return std::make_unique<LinkerSectionAttrExpr>(Name(), attribute);
    if (attribute != Token::Alignment && lexer.Accept(Token::Region)) {
      RangeList region;
      ParseRegionPrimary(linker, lexer, region);
      return Literal(RegionAttribute(attribute, region));
    }
    if (attribute == Token::Alignment)
      Error(linker, "expected 'block', 'symbol', or 'section'");
    else
      Error(linker, "expected 'block', 'symbol', or 'region'");
    return Literal(0);
  }

  static uint32_t RegionAttribute(Token attribute, const RangeList &region) {
    switch (attribute) {
    case Token::Start:
      return region.Lowest();
    case Token::End:
      return region.After() - 1;
    case Token::After:
      return region.After();
    default: // Size
      return region.Span();
    }
  }

  // start(REGION) and end(REGION): end( gives the address after the last
  // byte, one more than "end of region".
  ExprPtr OldRegionForm(Token attribute, const SourceLocation &where) {
    bool start = attribute == Token::Start;
    if (linker.TestFlag(Flag::WarnDeprecated)) {
      if (start)
        RemarkAt(linker, where, "'start(RegionExpr)' is deprecated and will be removed; please use 'start of region' instead");
      else
        RemarkAt(linker, where, "'end(RegionExpr)' is deprecated and will be removed; please use 'end of region' instead");
    }
    RangeList region;
    ParseRegionPrimary(linker, lexer, region);
    return Literal(start ? region.Lowest() : region.After());
  }

  BaseLinker &linker;
  ScriptLexer &lexer;
};

} // namespace

ExprPtr ParseExpr(BaseLinker &linker, ScriptLexer &lexer) { return ExprParser(linker, lexer).Level(0); }

uint32_t ParseConst(BaseLinker &linker, ScriptLexer &lexer) {
  ExprPtr expr = ParseExpr(linker, lexer);
  ExprValue value = Evaluate(linker, *expr);
  if (!value.defined)
    Fatal(linker, "linker expression evaluates to undefined when constant expected");
  return value.value;
}

} // namespace tanrek
