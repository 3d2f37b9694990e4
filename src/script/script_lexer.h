// The script lexer: turns one linker script, held whole in memory, into
// tokens for the statement and expression parsers.
//
// Positions are byte-exact: lines count from 1, the column counts bytes
// read on the line (carriage returns and tabs included), so the first byte
// of a line is column 1. Every keyword is reserved; a name written like a
// keyword must be quoted. Reading past the end yields byte 0, so a NUL in
// the file ends the input too.
#pragma once

#include "driver/diagnostics.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tanrek {

class BaseLinker;

enum class Token : uint32_t {
  // Printed "<eof>", "<id>", "<literal>".
  Eof,
  Id,
  Literal,
  // Punctuation.
  LBrace,
  RBrace,
  LBracket,
  RBracket,
  LParen,
  RParen,
  Comma,
  Colon,
  ColonColon,
  Semicolon,
  // Comparisons.
  Less,
  LessEqual,
  Greater,
  GreaterEqual,
  Equal,
  NotEqual,
  // Arithmetic and logic.
  Plus,
  Minus,
  Star,
  Slash,
  Percent,
  Tilde,
  Bang,
  Amp,
  Pipe,
  AmpAmp,
  PipePipe,
  Implies,
  Assign,
  // Keywords, in the order of the keyword list.
  Default,
  Define,
  Defined,
  Simple,
  Complex,
  Ranges,
  Place,
  At,
  In,
  Memory,
  Expandable,
  Block,
  Section,
  Exported,
  Symbol,
  Movable,
  With,
  Calling,
  Packing,
  None,
  Zeros,
  Packbits,
  Lzss,
  Zpak,
  Auto,
  If,
  Then,
  Else,
  Except,
  Access,
  Elastic,
  Size,
  Unitbitsize,
  Unitbytesize,
  Region,
  From,
  To,
  Of,
  By,
  Do,
  Not,
  Initialize,
  Copy,
  Repeat,
  Displacement,
  Alignment,
  Manually,
  Fixed,
  Mpu,
  Option,
  Order,
  File,
  Fill,
  First,
  Last,
  Start,
  After,
  End,
  Integrity,
  Check,
  Algorithm,
  Address,
  Minimum,
  Maximum,
  Reverse,
  Alphabetical,
  Locality,
  Reference,
  Count,
  Static,
  Base,
  Root,
  Overlay,
  Keep,
  Readonly,
  Readexec,
  Readwrite,
  Zeroinit,
  InitArray,
  FiniArray,
  ThreadLocal,
  Unwindable,
  Assert,
  Linked,
  Error,
  Warning,
  Remark,
  Random,
  Udata8,
  Sdata8,
  Udata16,
  Sdata16,
  Udata32,
  Sdata32,
};

class ScriptLexer {
public:
  // `fileName` must outlive every position the lexer hands out; the
  // parser passes the name stored with the loaded script.
  ScriptLexer(const char *fileName, const char *bytes, size_t length);

  // Reads the next token into kind, tokenPos and text.
  void Next();
  bool Is(Token wanted) const { return kind == wanted; }
  // Advances past the current token when it is of the wanted kind.
  bool Accept(Token wanted);
  bool AcceptAt(Token wanted, SourceLocation &position);
  bool AcceptText(Token wanted, std::string &out);
  // Accept, or "syntax error in linker script: expected %s".
  void Expect(Token wanted);
  // AcceptText, or "expected %s in linker script".
  void ExpectText(Token wanted, std::string &out);

  Token kind = Token::Eof;
  // How deep the parsers are in nested parentheses, conditions and inline
  // blocks (see NestingGuard).
  uint32_t nesting = 0;
  SourceLocation tokenPos;
  SourceLocation pos;
  SourceLocation savedPos;
  std::string text;

private:
  // The next byte, or 0 at the end of the input (the position does not
  // move then).
  uint8_t Read();
  // Un-reads the last byte read; only one byte can be pushed back.
  void PushBack();

  // Skips white space and comments; answers the first byte of the token.
  uint8_t SkipBlanks();
  void SkipLineComment();
  void SkipBlockComment();
  void LexString();
  void LexNumber(uint8_t first);
  void LexWord(uint8_t first);
  Token LexOperator(uint8_t first);
  Token LexEquals();
  // `matched` when the next byte is `second`, else `otherwise` with the
  // byte pushed back.
  Token Follow(uint8_t second, Token matched, Token otherwise);

  const char *cursor;
  size_t remaining;
  // Whether the last read consumed a byte, so that PushBack can undo it.
  bool consumed = false;
};

// Counts one level of nesting for as long as it lives. The parsers recurse
// once per level, so a script nested beyond any sensible depth is stopped
// with "linker script nested too deeply" before it exhausts the stack.
class NestingGuard {
public:
  explicit NestingGuard(ScriptLexer &lexer);
  ~NestingGuard() { --lexer.nesting; }
  NestingGuard(const NestingGuard &) = delete;
  NestingGuard &operator=(const NestingGuard &) = delete;

private:
  ScriptLexer &lexer;
};

// The printed name of a token kind: "<eof>", "<id>", "<literal>", the
// punctuation or operator itself, or the keyword (the first spelling for a
// keyword that has two).
const char *KindName(Token kind);

// "<#%u> at line %d, col %d": a new anonymous name for a block or a
// placement statement written at `position`. The counter is process-wide
// and starts at 1.
std::string AnonymousName(const SourceLocation &position);

// Converts the text of a number token (or of an --add-region number): hex
// with 0x, octal with a leading 0, decimal otherwise, an optional K, M or G
// suffix; values beyond 32 bits saturate before scaling. Empty text is the
// fatal error "number required".
uint32_t ConvertNumber(BaseLinker &linker, std::string_view text);

// The script fatal error: "<file>:<line>:<column>: error: <message>" on
// standard error, then the run ends with status 100.
[[noreturn]] void FatalAt(const SourceLocation &position, const char *format, ...)
    __attribute__((format(printf, 2, 3)));

// The lexer of the script being parsed, while "Parse script" runs.
extern ScriptLexer *currentLexer;

} // namespace tanrek
