// Region expressions, the memory statement and --add-region.
//
// A region expression is evaluated while it is parsed: the statement that
// holds it keeps the resulting range list, never the expression. Operators
// apply left to right without precedence, so "A - B | C" is "(A - B) | C".
#include "script/region.h"

#include "driver/diagnostics.h"
#include "driver/linker.h"
#include "driver/log.h"
#include "script/linker_expr.h"
#include "script/script_lexer.h"
#include "script/script_task.h"

namespace tanrek {

namespace {

constexpr uint64_t kMaxRangeSize = 0x10000000;
// More copies than any memory map needs; a larger count is a mistake that
// would otherwise build billions of ranges.
constexpr uint32_t kMaxRepeatCount = 0x1000;

// [ [from] FIRST [,] (to LAST | size SIZE) [repeat COUNT [displacement D]] ]
void ParseRangeLiteral(BaseLinker &linker, ScriptLexer &lexer, RangeList &list) {
  lexer.Expect(Token::LBracket);
  lexer.Accept(Token::From);
  uint32_t first = ParseConst(linker, lexer);
  lexer.Accept(Token::Comma);
  uint64_t size;
  if (lexer.Accept(Token::To)) {
    uint32_t last = ParseConst(linker, lexer);
    if (last < first)
      FatalAt(lexer.tokenPos, "bad range from 0x%08x to 0x%08x", first, last);
    size = uint64_t(last) - first + 1;
  } else if (lexer.Accept(Token::Size)) {
    size = ParseConst(linker, lexer);
  } else {
    FatalAt(lexer.tokenPos, "require 'to' or 'size' to define region");
  }
  if (size > kMaxRangeSize)
    FatalAt(lexer.tokenPos, "address ranges cannot exceed 256MB");
  uint32_t count = 1;
  uint64_t displacement = size;
  if (lexer.Accept(Token::Repeat)) {
    count = ParseConst(linker, lexer);
    if (lexer.Accept(Token::Displacement))
      displacement = ParseConst(linker, lexer);
  }
  lexer.Expect(Token::RBracket);
  if (size > displacement || count > kMaxRepeatCount)
    FatalAt(lexer.tokenPos, "bad repeat");
  if (size == 0)
    return;
  // Copies that would start beyond the address space are left out rather
  // than wrapped around to address 0.
  for (uint64_t i = 0, start = first; i < count && start <= 0xFFFFFFFF; ++i, start += displacement)
    Union(list, AddressRange{uint32_t(start), uint32_t(size)});
}

} // namespace

void ParseRegionPrimary(BaseLinker &linker, ScriptLexer &lexer, RangeList &list) {
  NestingGuard guard(lexer);
  if (lexer.Is(Token::Id)) {
    SourceLocation where = lexer.tokenPos;
    std::string name = lexer.text;
    lexer.Next();
    if (lexer.Accept(Token::Colon)) {
      if (!linker.memoryTable.count(name))
        FatalAt(where, "memory '%s' not defined", name.c_str());
      ParseRangeLiteral(linker, lexer, list);
      return;
    }
    auto region = linker.regionTable.find(name);
    if (region == linker.regionTable.end())
      FatalAt(where, "region '%s' is not defined", name.c_str());
    list = region->second;
    return;
  }
  if (lexer.Accept(Token::LParen)) {
    ParseRegionExpr(linker, lexer, list);
    lexer.Expect(Token::RParen);
    return;
  }
  if (lexer.Accept(Token::If)) {
    uint32_t condition = ParseConst(linker, lexer);
    RangeList whenTrue, whenFalse;
    lexer.Expect(Token::Then);
    ParseRegionExpr(linker, lexer, whenTrue);
    lexer.Expect(Token::Else);
    ParseRegionExpr(linker, lexer, whenFalse);
    list = condition ? std::move(whenTrue) : std::move(whenFalse);
    return;
  }
  RangeList literal;
  ParseRangeLiteral(linker, lexer, literal);
  Union(list, literal);
}

void ParseRegionExpr(BaseLinker &linker, ScriptLexer &lexer, RangeList &list) {
  ParseRegionPrimary(linker, lexer, list);
  for (;;) {
    Token op = lexer.kind;
    if (op != Token::Pipe && op != Token::Plus && op != Token::Minus && op != Token::Amp)
      return;
    lexer.Next();
    RangeList right;
    ParseRegionPrimary(linker, lexer, right);
    if (op == Token::Minus)
      Subtract(list, right);
    else if (op == Token::Amp)
      Intersect(list, right);
    else
      Union(list, right);
  }
}

void CreateMemory(BaseLinker &linker, const std::string &name) {
  linker.memory = std::make_unique<Memory>();
  linker.memory->name = name;
}

// The size is read and not used: the memory always spans the whole 32-bit
// address space.
void ParseDefineMemory(BaseLinker &linker, ScriptLexer &lexer) {
  if (linker.memory)
    FatalAt(lexer.tokenPos, "only one 'define memory' supported");
  std::string name = "mem";
  lexer.AcceptText(Token::Id, name);
  if (lexer.Accept(Token::With)) {
    lexer.Expect(Token::Size);
    lexer.Expect(Token::Assign);
    ParseExpr(linker, lexer);
    if (lexer.Accept(Token::Comma))
      lexer.Expect(Token::Unitbytesize);
  }
  linker.memoryTable.insert(name);
  CreateMemory(linker, name);
}

// NAME=SIZE@ADDRESS; the same name given twice adds a second range.
static void AddCommandLineRegion(BaseLinker &linker, const std::string &value) {
  size_t equals = value.find('=');
  size_t at = equals == std::string::npos ? equals : value.find('@', equals);
  if (at == std::string::npos)
    Fatal(linker, "syntax error in --add-region definition '%s'", value.c_str());
  std::string name = value.substr(0, equals);
  uint32_t size = ConvertNumber(linker, std::string_view(value).substr(equals + 1, at - equals - 1));
  uint32_t address = ConvertNumber(linker, std::string_view(value).substr(at + 1));
  LogLine("Add '%s' starting at 0x%08x of size 0x%08x", name.c_str(), address, size);
  Union(linker.regionTable[name], AddressRange{address, size});
}

void AddCommandLineRegions(BaseLinker &linker) {
  if (linker.regionDefinitions.empty())
    return;
  LogLine("Define regions added by command line:");
  LogIndent();
  for (const std::string &value : linker.regionDefinitions)
    AddCommandLineRegion(linker, value);
  LogOutdent();
  for (const auto &[name, ranges] : linker.regionTable)
    linker.mainTask->Add<DefineRegionTask>(name, ranges);
}

} // namespace tanrek
