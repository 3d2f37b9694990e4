// The script lexer.
//
// What is subtle:
// - Reading at the end of the input yields 0 and leaves the position alone,
//   so a push-back after such a read must not un-read anything; the lexer
//   remembers whether the last read consumed a byte.
// - A NUL byte is read like any other byte (it has a column), but it ends
//   the input: the bytes after it are dropped, so "<eof>" keeps coming.
// - tokenPos is taken only after white space and comments are skipped, so
//   an unclosed block comment is reported at the position of the token
//   before it (line 1, column 0 when there is none).
// - "==>" is one "=>" token: after "==" the lexer looks at one more byte.
// - A number token collects hex letters and x/X whatever its base; the
//   conversion, not the lexer, decides where the digits of the base end.
//   Values beyond 32 bits saturate before the suffix scales them, and the
//   result is the low 32 bits of the scaled value.
#include "script/script_lexer.h"

#include "driver/format.h"

#include <array>
#include <cstdarg>
#include <unordered_map>

namespace tanrek {

ScriptLexer *currentLexer = nullptr;

namespace {

constexpr size_t kTokenCount = static_cast<size_t>(Token::Sdata32) + 1;

struct Spelling {
  const char *text;
  Token kind;
};

// The printed names of the kinds that are not keywords.
constexpr Spelling kSymbols[] = {
    {"<eof>", Token::Eof},      {"<id>", Token::Id},          {"<literal>", Token::Literal},
    {"{", Token::LBrace},       {"}", Token::RBrace},         {"[", Token::LBracket},
    {"]", Token::RBracket},     {"(", Token::LParen},         {")", Token::RParen},
    {",", Token::Comma},        {":", Token::Colon},          {"::", Token::ColonColon},
    {";", Token::Semicolon},    {"<", Token::Less},           {"<=", Token::LessEqual},
    {">", Token::Greater},      {">=", Token::GreaterEqual},  {"==", Token::Equal},
    {"!=", Token::NotEqual},    {"+", Token::Plus},           {"-", Token::Minus},
    {"*", Token::Star},         {"/", Token::Slash},          {"%", Token::Percent},
    {"~", Token::Tilde},        {"!", Token::Bang},           {"&", Token::Amp},
    {"|", Token::Pipe},         {"&&", Token::AmpAmp},        {"||", Token::PipePipe},
    {"=>", Token::Implies},     {"=", Token::Assign},
};

// Every spelling of every keyword. Where a keyword has two spellings, the
// one listed first is its printed name.
constexpr Spelling kKeywords[] = {
    {"default", Token::Default},
    {"define", Token::Define},
    {"defined", Token::Defined},
    {"simple", Token::Simple},
    {"complex", Token::Complex},
    {"ranges", Token::Ranges},
    {"place", Token::Place},
    {"at", Token::At},
    {"in", Token::In},
    {"memory", Token::Memory},
    {"expandable", Token::Expandable},
    {"block", Token::Block},
    {"section", Token::Section},
    {"exported", Token::Exported},
    {"symbol", Token::Symbol},
    {"movable", Token::Movable},
    {"with", Token::With},
    {"calling", Token::Calling},
    {"packing", Token::Packing},
    {"none", Token::None},
    {"zeros", Token::Zeros},
    {"packbits", Token::Packbits},
    {"lzss", Token::Lzss},
    {"lz77", Token::Lzss},
    {"zpak", Token::Zpak},
    {"auto", Token::Auto},
    {"smallest", Token::Auto},
    {"if", Token::If},
    {"then", Token::Then},
    {"else", Token::Else},
    {"except", Token::Except},
    {"access", Token::Access},
    {"elastic", Token::Elastic},
    {"size", Token::Size},
    {"unitbitsize", Token::Unitbitsize},
    {"unitbytesize", Token::Unitbytesize},
    {"region", Token::Region},
    {"from", Token::From},
    {"to", Token::To},
    {"of", Token::Of},
    {"by", Token::By},
    {"do", Token::Do},
    {"not", Token::Not},
    {"initialize", Token::Initialize},
    {"copy", Token::Copy},
    {"repeat", Token::Repeat},
    {"displacement", Token::Displacement},
    {"alignment", Token::Alignment},
    {"manually", Token::Manually},
    {"fixed", Token::Fixed},
    {"mpu", Token::Mpu},
    {"option", Token::Option},
    {"order", Token::Order},
    {"file", Token::File},
    {"fill", Token::Fill},
    {"first", Token::First},
    {"last", Token::Last},
    {"start", Token::Start},
    {"after", Token::After},
    {"end", Token::End},
    {"integrity", Token::Integrity},
    {"check", Token::Check},
    {"algorithm", Token::Algorithm},
    {"address", Token::Address},
    {"minimum", Token::Minimum},
    {"maximum", Token::Maximum},
    {"reverse", Token::Reverse},
    {"alphabetical", Token::Alphabetical},
    {"locality", Token::Locality},
    {"reference", Token::Reference},
    {"count", Token::Count},
    {"static", Token::Static},
    {"base", Token::Base},
    {"root", Token::Root},
    {"overlay", Token::Overlay},
    {"keep", Token::Keep},
    {"readonly", Token::Readonly},
    {"ro", Token::Readonly},
    {"readexec", Token::Readexec},
    {"rx", Token::Readexec},
    {"readwrite", Token::Readwrite},
    {"rw", Token::Readwrite},
    {"zeroinit", Token::Zeroinit},
    {"zi", Token::Zeroinit},
    {"init_array", Token::InitArray},
    {"fini_array", Token::FiniArray},
    {"thread_local", Token::ThreadLocal},
    {"unwindable", Token::Unwindable},
    {"assert", Token::Assert},
    {"linked", Token::Linked},
    {"error", Token::Error},
    {"warning", Token::Warning},
    {"remark", Token::Remark},
    {"random", Token::Random},
    {"udata8", Token::Udata8},
    {"u8", Token::Udata8},
    {"sdata8", Token::Sdata8},
    {"i8", Token::Sdata8},
    {"udata16", Token::Udata16},
    {"u16", Token::Udata16},
    {"sdata16", Token::Sdata16},
    {"i16", Token::Sdata16},
    {"udata32", Token::Udata32},
    {"u32", Token::Udata32},
    {"sdata32", Token::Sdata32},
    {"i32", Token::Sdata32},
};

const std::unordered_map<std::string_view, Token> &KeywordTable() {
  static const std::unordered_map<std::string_view, Token> table = [] {
    std::unordered_map<std::string_view, Token> map;
    for (const Spelling &keyword : kKeywords)
      map.emplace(keyword.text, keyword.kind);
    return map;
  }();
  return table;
}

const std::array<const char *, kTokenCount> &KindNames() {
  static const std::array<const char *, kTokenCount> names = [] {
    std::array<const char *, kTokenCount> table{};
    for (const Spelling &symbol : kSymbols)
      table[static_cast<size_t>(symbol.kind)] = symbol.text;
    for (const Spelling &keyword : kKeywords) {
      const char *&name = table[static_cast<size_t>(keyword.kind)];
      if (!name)
        name = keyword.text;
    }
    return table;
  }();
  return names;
}

bool IsSpace(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
bool IsLetter(uint8_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Digits, hex letters and the x of a hex prefix.
bool IsNumberByte(uint8_t c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == 'x' || c == 'X';
}

bool IsSizeSuffix(uint8_t c) { return c == 'K' || c == 'k' || c == 'M' || c == 'm' || c == 'G' || c == 'g'; }

bool IsWordStart(uint8_t c) { return IsLetter(c) || c == '.' || c == '_' || c == '?' || c == '^'; }
bool IsWordByte(uint8_t c) { return IsWordStart(c) || IsDigit(c) || c == '*'; }

// The factor of a size suffix, or 1 when `last` is not one. G is taken as
// 0x40000000 (a gibibyte, in line with K and M); its product with a
// saturated value still fits the 64-bit multiplication.
uint64_t SuffixFactor(char last) {
  switch (last) {
  case 'G':
  case 'g':
    return 0x40000000;
  case 'M':
  case 'm':
    return 0x100000;
  case 'K':
  case 'k':
    return 1024;
  default:
    return 1;
  }
}

// The value of `c` as a digit, or 36 when it is none.
unsigned DigitValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'z')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z')
    return c - 'A' + 10;
  return 36;
}

// Hex after 0x or 0X, octal after a leading 0, decimal otherwise; stops at
// the first byte that is not a digit of the base and saturates at
// 0xFFFFFFFF.
uint64_t ParseUnsigned32(std::string_view digits) {
  unsigned base = 10;
  if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.remove_prefix(2);
  } else if (!digits.empty() && digits[0] == '0') {
    base = 8;
  }
  uint64_t value = 0;
  for (char c : digits) {
    unsigned digit = DigitValue(c);
    if (digit >= base)
      break;
    value = value * base + digit;
    if (value > 0xFFFFFFFF)
      return 0xFFFFFFFF;
  }
  return value;
}

} // namespace

ScriptLexer::ScriptLexer(const char *fileName, const char *bytes, size_t length)
    : tokenPos{1, 0, fileName}, pos{1, 0, fileName}, savedPos{1, 0, fileName}, cursor(bytes), remaining(length) {}

uint8_t ScriptLexer::Read() {
  if (remaining == 0) {
    consumed = false;
    return 0;
  }
  savedPos = pos;
  uint8_t c = static_cast<uint8_t>(*cursor++);
  remaining = c == 0 ? 0 : remaining - 1;
  consumed = true;
  if (c == '\n') {
    ++pos.line;
    pos.column = 0;
  } else {
    ++pos.column;
  }
  return c;
}

void ScriptLexer::PushBack() {
  if (!consumed)
    return;
  consumed = false;
  pos = savedPos;
  --cursor;
  ++remaining;
}

void ScriptLexer::Next() {
  uint8_t first = SkipBlanks();
  tokenPos = pos;
  text.clear();
  if (first == 0)
    kind = Token::Eof;
  else if (first == '"')
    LexString();
  else if (IsDigit(first))
    LexNumber(first);
  else if (IsWordStart(first))
    LexWord(first);
  else
    kind = LexOperator(first);
}

uint8_t ScriptLexer::SkipBlanks() {
  for (;;) {
    uint8_t c = Read();
    if (IsSpace(c))
      continue;
    if (c != '/')
      return c;
    uint8_t next = Read();
    if (next == '/') {
      SkipLineComment();
    } else if (next == '*') {
      SkipBlockComment();
    } else {
      PushBack();
      return '/';
    }
  }
}

void ScriptLexer::SkipLineComment() {
  uint8_t c;
  do
    c = Read();
  while (c != 0 && c != '\n' && c != '\r');
  PushBack();
}

void ScriptLexer::SkipBlockComment() {
  bool afterStar = false;
  for (;;) {
    uint8_t c = Read();
    if (c == 0)
      FatalAt(tokenPos, "ran off end of file processing linker script (unclosed comment)");
    if (afterStar && c == '/')
      return;
    afterStar = c == '*';
  }
}

void ScriptLexer::LexString() {
  for (uint8_t c = Read(); c != '"'; c = Read()) {
    if (c == 0 || c == '\n' || c == '\r')
      FatalAt(tokenPos, "string constant not correctly terminated");
    text += static_cast<char>(c);
  }
  kind = Token::Id;
}

void ScriptLexer::LexNumber(uint8_t first) {
  text += static_cast<char>(first);
  uint8_t c = Read();
  for (; IsNumberByte(c); c = Read())
    text += static_cast<char>(c);
  if (IsSizeSuffix(c))
    text += static_cast<char>(c);
  else
    PushBack();
  kind = Token::Literal;
}

void ScriptLexer::LexWord(uint8_t first) {
  text += static_cast<char>(first);
  uint8_t c = Read();
  for (; IsWordByte(c); c = Read())
    text += static_cast<char>(c);
  PushBack();
  const auto &keywords = KeywordTable();
  auto found = keywords.find(text);
  kind = found == keywords.end() ? Token::Id : found->second;
}

Token ScriptLexer::Follow(uint8_t second, Token matched, Token otherwise) {
  if (Read() == second)
    return matched;
  PushBack();
  return otherwise;
}

Token ScriptLexer::LexOperator(uint8_t first) {
  switch (first) {
  case '<': return Follow('=', Token::LessEqual, Token::Less);
  case '>': return Follow('=', Token::GreaterEqual, Token::Greater);
  case '=': return LexEquals();
  case ':': return Follow(':', Token::ColonColon, Token::Colon);
  case '&': return Follow('&', Token::AmpAmp, Token::Amp);
  case '|': return Follow('|', Token::PipePipe, Token::Pipe);
  case '!': return Follow('=', Token::NotEqual, Token::Bang);
  case '{': return Token::LBrace;
  case '}': return Token::RBrace;
  case '[': return Token::LBracket;
  case ']': return Token::RBracket;
  case '(': return Token::LParen;
  case ')': return Token::RParen;
  case '~': return Token::Tilde;
  case ';': return Token::Semicolon;
  case ',': return Token::Comma;
  case '+': return Token::Plus;
  case '-': return Token::Minus;
  case '*': return Token::Star;
  case '%': return Token::Percent;
  case '/': return Token::Slash;
  default: FatalAt(tokenPos, "syntax error in linker script");
  }
}

// "=", "==", "=>", and "==>" read as "=>".
Token ScriptLexer::LexEquals() {
  uint8_t next = Read();
  if (next == '=')
    return Follow('>', Token::Implies, Token::Equal);
  if (next == '>')
    return Token::Implies;
  PushBack();
  return Token::Assign;
}

bool ScriptLexer::Accept(Token wanted) {
  if (kind != wanted)
    return false;
  Next();
  return true;
}

bool ScriptLexer::AcceptAt(Token wanted, SourceLocation &position) {
  if (kind != wanted)
    return false;
  position = tokenPos;
  Next();
  return true;
}

bool ScriptLexer::AcceptText(Token wanted, std::string &out) {
  if (kind != wanted)
    return false;
  out = text;
  Next();
  return true;
}

void ScriptLexer::Expect(Token wanted) {
  if (!Accept(wanted))
    FatalAt(tokenPos, "syntax error in linker script: expected %s", KindName(wanted));
}

void ScriptLexer::ExpectText(Token wanted, std::string &out) {
  if (!AcceptText(wanted, out))
    FatalAt(tokenPos, "expected %s in linker script", KindName(wanted));
}

const char *KindName(Token kind) {
  size_t index = static_cast<size_t>(kind);
  return index < kTokenCount ? KindNames()[index] : "";
}

std::string AnonymousName(const SourceLocation &position) {
  static uint32_t counter = 0;
  // Three numbers of at most eleven characters: far below 127 bytes.
  return Format("<#%u> at line %d, col %d", ++counter, static_cast<int>(position.line),
                static_cast<int>(position.column));
}

// Far deeper than any script needs, and shallow enough for the parsers'
// frames to fit a default stack with room to spare, also in sanitizer
// builds.
constexpr uint32_t kMaxNesting = 256;

NestingGuard::NestingGuard(ScriptLexer &scriptLexer) : lexer(scriptLexer) {
  if (++lexer.nesting > kMaxNesting)
    FatalAt(lexer.tokenPos, "linker script nested too deeply");
}

uint32_t ConvertNumber(BaseLinker &linker, std::string_view text) {
  if (text.empty())
    Fatal(linker, "number required");
  uint64_t multiplier = SuffixFactor(text.back());
  if (multiplier != 1)
    text.remove_suffix(1);
  return static_cast<uint32_t>(ParseUnsigned32(text) * multiplier);
}

void FatalAt(const SourceLocation &position, const char *format, ...) {
  std::string prefix = Format("%s:%u:%u: error: ", position.file, position.line, position.column);
  va_list args;
  va_start(args, format);
  VFatalWithPrefix(prefix, format, args);
}

} // namespace tanrek
