// The script lexer: positions, comments, strings, operators, numbers and
// their conversion, keywords, the expectation helpers and the script fatal
// error.
#include "script/script_lexer.h"

#include "test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <string_view>
#include <vector>

using namespace tanrek;
using testing::ElementsAre;
using testing::ExitedWithCode;
using testing_support::FatalMessage;

namespace {

ScriptLexer MakeLexer(std::string_view source) { return ScriptLexer("t.icf", source.data(), source.size()); }

// One line per token: "id:<text>", "num:<text>" or the printed name.
std::string Describe(const ScriptLexer &lexer) {
  if (lexer.kind == Token::Id)
    return "id:" + lexer.text;
  if (lexer.kind == Token::Literal)
    return "num:" + lexer.text;
  return KindName(lexer.kind);
}

// Every token of `source`, "<eof>" included.
std::vector<std::string> Tokens(std::string_view source) {
  ScriptLexer lexer = MakeLexer(source);
  std::vector<std::string> tokens;
  do {
    lexer.Next();
    tokens.push_back(Describe(lexer));
  } while (lexer.kind != Token::Eof && tokens.size() < 100);
  return tokens;
}

// The fatal message that lexing all of `source` ends with.
std::string LexError(std::string_view source) {
  return FatalMessage([&] { Tokens(source); });
}

// "line:column" of every token of `source`, "<eof>" included.
std::vector<std::string> Positions(std::string_view source) {
  ScriptLexer lexer = MakeLexer(source);
  std::vector<std::string> positions;
  do {
    lexer.Next();
    positions.push_back(std::to_string(lexer.tokenPos.line) + ":" + std::to_string(lexer.tokenPos.column));
  } while (lexer.kind != Token::Eof && positions.size() < 100);
  return positions;
}

TEST(ScriptLexerTest, StartsAtLineOneColumnZeroWithoutReading) {
  std::string source = "place";
  ScriptLexer lexer("app.icf", source.data(), source.size());
  EXPECT_EQ(lexer.kind, Token::Eof);
  EXPECT_EQ(lexer.pos.line, 1u);
  EXPECT_EQ(lexer.pos.column, 0u);
  EXPECT_STREQ(lexer.pos.file, "app.icf");
  EXPECT_EQ(lexer.tokenPos.line, 1u);
  EXPECT_EQ(lexer.tokenPos.column, 0u);
  lexer.Next();
  EXPECT_EQ(lexer.kind, Token::Place);
  EXPECT_STREQ(lexer.tokenPos.file, "app.icf");
  EXPECT_EQ(lexer.pos.column, 5u);
}

TEST(ScriptLexerTest, PositionIsTheFirstByteOfTheToken) {
  // Line 3 after two spaces is column 3; the column restarts after a line
  // feed, and carriage returns and tabs are counted like any byte.
  EXPECT_THAT(Positions("\n\n  place"), ElementsAre("3:3", "3:7"));
  EXPECT_THAT(Positions("\r\tx\r\n y"), ElementsAre("1:3", "2:2", "2:2"));
  EXPECT_THAT(Positions("a <= bc ==> 12K"), ElementsAre("1:1", "1:3", "1:6", "1:9", "1:13", "1:15"));
  // At the end of the input the position stays after the last byte.
  EXPECT_THAT(Positions("ab\n"), ElementsAre("1:1", "2:0"));
}

TEST(ScriptLexerTest, EndOfInputIsLasting) {
  // A word or number that ends the input must not push back its last byte.
  EXPECT_THAT(Tokens("abc"), ElementsAre("id:abc", "<eof>"));
  EXPECT_THAT(Tokens("12"), ElementsAre("num:12", "<eof>"));
  EXPECT_THAT(Tokens("a <"), ElementsAre("id:a", "<", "<eof>"));
  EXPECT_THAT(Tokens("a /"), ElementsAre("id:a", "/", "<eof>"));
  ScriptLexer lexer = MakeLexer("x");
  lexer.Next();
  lexer.Next();
  lexer.Next();
  EXPECT_EQ(lexer.kind, Token::Eof);
  EXPECT_EQ(lexer.tokenPos.column, 1u);
  EXPECT_EQ(lexer.pos.column, 1u);
}

TEST(ScriptLexerTest, NulByteEndsTheInput) {
  std::string source("a\0b", 3);
  EXPECT_THAT(Tokens(source), ElementsAre("id:a", "<eof>"));
  ScriptLexer lexer = MakeLexer(source);
  lexer.Next();
  lexer.Next();
  EXPECT_EQ(lexer.kind, Token::Eof);
  EXPECT_EQ(lexer.tokenPos.column, 2u);
  lexer.Next(); // nothing after the NUL is ever read
  EXPECT_EQ(lexer.kind, Token::Eof);
  EXPECT_EQ(lexer.tokenPos.column, 2u);
  EXPECT_EQ(LexError(std::string("\"ab\0\"", 5)), "t.icf:1:1: error: string constant not correctly terminated");
  EXPECT_EQ(LexError(std::string("/* \0 */", 7)),
            "t.icf:1:0: error: ran off end of file processing linker script (unclosed comment)");
}

TEST(ScriptLexerTest, LineComments) {
  EXPECT_THAT(Tokens("a // note\nb"), ElementsAre("id:a", "id:b", "<eof>"));
  EXPECT_THAT(Positions("a // note\nb"), ElementsAre("1:1", "2:1", "2:1"));
  EXPECT_THAT(Tokens("a//x\rb"), ElementsAre("id:a", "id:b", "<eof>"));
  EXPECT_THAT(Tokens("a // at the end"), ElementsAre("id:a", "<eof>"));
  EXPECT_THAT(Tokens("//"), ElementsAre("<eof>"));
  // A block comment opener inside a line comment is text.
  EXPECT_THAT(Tokens("// /*\nc"), ElementsAre("id:c", "<eof>"));
}

TEST(ScriptLexerTest, BlockComments) {
  EXPECT_THAT(Tokens("a/*x*/b"), ElementsAre("id:a", "id:b", "<eof>"));
  EXPECT_THAT(Tokens("/**/"), ElementsAre("<eof>"));
  EXPECT_THAT(Tokens("/***/c"), ElementsAre("id:c", "<eof>"));
  // The asterisk of the opener does not close it, and comments do not nest.
  EXPECT_THAT(Tokens("/*/ */c"), ElementsAre("id:c", "<eof>"));
  EXPECT_THAT(Tokens("/* /* */ d */"), ElementsAre("id:d", "*", "/", "<eof>"));
  EXPECT_THAT(Positions("/* one\ntwo */ e"), ElementsAre("2:8", "2:8"));
}

TEST(ScriptLexerTest, UnclosedBlockCommentIsFatalAtThePreviousToken) {
  const char *message = "error: ran off end of file processing linker script (unclosed comment)";
  EXPECT_EQ(LexError("place\n  in /* never closed *"), std::string("t.icf:2:3: ") + message);
  EXPECT_EQ(LexError("/*"), std::string("t.icf:1:0: ") + message);
}

TEST(ScriptLexerTest, SlashAloneIsDivision) {
  EXPECT_THAT(Tokens("a/b"), ElementsAre("id:a", "/", "id:b", "<eof>"));
  EXPECT_THAT(Positions("a / b"), ElementsAre("1:1", "1:3", "1:5", "1:5"));
  EXPECT_THAT(Tokens("8/ 2"), ElementsAre("num:8", "/", "num:2", "<eof>"));
}

TEST(ScriptLexerTest, StringsAreIdentifiersWithoutEscapes) {
  ScriptLexer lexer = MakeLexer("\"\" x");
  lexer.Next();
  EXPECT_EQ(lexer.kind, Token::Id);
  EXPECT_EQ(lexer.text, "");
  EXPECT_THAT(Tokens("\"place\""), ElementsAre("id:place", "<eof>"));
  EXPECT_THAT(Tokens("\"*.o\" *.o"), ElementsAre("id:*.o", "*", "id:.o", "<eof>"));
  EXPECT_THAT(Tokens("\"a b\\\"c"), ElementsAre("id:a b\\", "id:c", "<eof>"));
  EXPECT_THAT(Tokens("\"\t/* // \""), ElementsAre("id:\t/* // ", "<eof>"));
}

TEST(ScriptLexerTest, UnterminatedStringIsFatalAtItsQuote) {
  const std::string message = "error: string constant not correctly terminated";
  EXPECT_EQ(LexError("x \"abc\ndef\""), "t.icf:1:3: " + message);
  EXPECT_EQ(LexError("\n  \"abc\rdef\""), "t.icf:2:3: " + message);
  EXPECT_EQ(LexError("\"abc"), "t.icf:1:1: " + message);
}

TEST(ScriptLexerTest, EveryOperatorAndPunctuation) {
  EXPECT_THAT(Tokens("< <= > >= == != + - * / % ~ ! & | && || => = { } [ ] ( ) , : :: ;"),
              ElementsAre("<", "<=", ">", ">=", "==", "!=", "+", "-", "*", "/", "%", "~", "!", "&", "|", "&&", "||",
                          "=>", "=", "{", "}", "[", "]", "(", ")", ",", ":", "::", ";", "<eof>"));
}

TEST(ScriptLexerTest, OperatorsTakeTheLongestMatch) {
  EXPECT_THAT(Tokens("a==>b"), ElementsAre("id:a", "=>", "id:b", "<eof>"));
  EXPECT_THAT(Tokens("a=>b"), ElementsAre("id:a", "=>", "id:b", "<eof>"));
  EXPECT_THAT(Tokens("a==b"), ElementsAre("id:a", "==", "id:b", "<eof>"));
  EXPECT_THAT(Tokens("a=b"), ElementsAre("id:a", "=", "id:b", "<eof>"));
  EXPECT_THAT(Tokens("a!=b"), ElementsAre("id:a", "!=", "id:b", "<eof>"));
  EXPECT_THAT(Tokens("!a"), ElementsAre("!", "id:a", "<eof>"));
  EXPECT_THAT(Tokens("===<<=>>=:::&&&|||"),
              ElementsAre("==", "=", "<", "<=", ">", ">=", "::", ":", "&&", "&", "||", "|", "<eof>"));
  EXPECT_THAT(Tokens("==>>"), ElementsAre("=>", ">", "<eof>"));
  EXPECT_THAT(Tokens("*.o"), ElementsAre("*", "id:.o", "<eof>"));
}

TEST(ScriptLexerTest, OtherBytesAreSyntaxErrors) {
  for (std::string source : {"a @", "a #", "a $", "a '", "a \\", "a `", "a \x80", "a \v", "a \f"})
    EXPECT_EQ(LexError(source), "t.icf:1:3: error: syntax error in linker script") << source;
  EXPECT_EQ(LexError("x\n  @"), "t.icf:2:3: error: syntax error in linker script");
}

TEST(ScriptLexerTest, NumberTokensCollectHexLettersAndOneSuffix) {
  EXPECT_THAT(Tokens("0x20K"), ElementsAre("num:0x20K", "<eof>"));
  EXPECT_THAT(Tokens("12ab"), ElementsAre("num:12ab", "<eof>"));
  EXPECT_THAT(Tokens("1M,"), ElementsAre("num:1M", ",", "<eof>"));
  EXPECT_THAT(Tokens("0XFFg;"), ElementsAre("num:0XFFg", ";", "<eof>"));
  EXPECT_THAT(Tokens("0x1fz"), ElementsAre("num:0x1f", "id:z", "<eof>"));
  EXPECT_THAT(Tokens("10kB"), ElementsAre("num:10k", "id:B", "<eof>"));
  EXPECT_THAT(Tokens("1.5"), ElementsAre("num:1", "id:.5", "<eof>"));
  EXPECT_THAT(Tokens("3*4"), ElementsAre("num:3", "*", "num:4", "<eof>"));
  EXPECT_THAT(Tokens("x1 _2"), ElementsAre("id:x1", "id:_2", "<eof>"));
}

TEST(ScriptLexerTest, WordsTakeWildcardsInside) {
  EXPECT_THAT(Tokens("a*b ?x ^y .text.* a-b"),
              ElementsAre("id:a*b", "id:?x", "id:^y", "id:.text.*", "id:a", "-", "id:b", "<eof>"));
}

using ScriptLexerNumberTest = testing_support::LinkerTest;

TEST_F(ScriptLexerNumberTest, BasesAndSuffixes) {
  EXPECT_EQ(ConvertNumber(linker, "0x20K"), 0x8000u);
  EXPECT_EQ(ConvertNumber(linker, "010"), 8u);
  EXPECT_EQ(ConvertNumber(linker, "1M"), 0x100000u);
  EXPECT_EQ(ConvertNumber(linker, "3m"), 0x300000u);
  EXPECT_EQ(ConvertNumber(linker, "2k"), 2048u);
  EXPECT_EQ(ConvertNumber(linker, "1G"), 0x40000000u);
  EXPECT_EQ(ConvertNumber(linker, "0X1F"), 31u);
  EXPECT_EQ(ConvertNumber(linker, "0xAbC"), 0xABCu);
  EXPECT_EQ(ConvertNumber(linker, "1234"), 1234u);
  EXPECT_EQ(ConvertNumber(linker, "0"), 0u);
}

TEST_F(ScriptLexerNumberTest, ConversionStopsAtTheFirstByteOutsideTheBase) {
  EXPECT_EQ(ConvertNumber(linker, "12ab"), 12u);
  EXPECT_EQ(ConvertNumber(linker, "0789"), 7u);
  EXPECT_EQ(ConvertNumber(linker, "0x1g2"), 1u);
  EXPECT_EQ(ConvertNumber(linker, "0x"), 0u);
  EXPECT_EQ(ConvertNumber(linker, "0xK"), 0u);
  EXPECT_EQ(ConvertNumber(linker, "K"), 0u);
}

TEST_F(ScriptLexerNumberTest, SaturatesBeforeScalingAndKeepsTheLow32Bits) {
  EXPECT_EQ(ConvertNumber(linker, "0xFFFFFFFF"), 0xFFFFFFFFu);
  EXPECT_EQ(ConvertNumber(linker, "0x123456789"), 0xFFFFFFFFu);
  EXPECT_EQ(ConvertNumber(linker, "99999999999999999999999"), 0xFFFFFFFFu);
  EXPECT_EQ(ConvertNumber(linker, "0xFFFFFFFFK"), 0xFFFFFC00u);
  // Saturated first: 0xFFFFFFFF times 1024, not 0x100000000 times 1024.
  EXPECT_EQ(ConvertNumber(linker, "0x100000000K"), 0xFFFFFC00u);
  EXPECT_EQ(ConvertNumber(linker, "0x1000M"), 0u);
  EXPECT_EQ(ConvertNumber(linker, "5G"), 0x40000000u);
  EXPECT_EQ(ConvertNumber(linker, "0xFFFFFFFFG"), 0xC0000000u);
}

TEST_F(ScriptLexerNumberTest, EmptyTextIsFatal) {
  EXPECT_EQ(FatalMessage([&] { ConvertNumber(linker, ""); }), "error: number required");
}

// Every keyword spelling with the printed name of its kind.
struct KeywordCase {
  const char *text;
  const char *printed;
};

constexpr KeywordCase kKeywordCases[] = {
    {"default", "default"},
    {"define", "define"},
    {"defined", "defined"},
    {"simple", "simple"},
    {"complex", "complex"},
    {"ranges", "ranges"},
    {"place", "place"},
    {"at", "at"},
    {"in", "in"},
    {"memory", "memory"},
    {"expandable", "expandable"},
    {"block", "block"},
    {"section", "section"},
    {"exported", "exported"},
    {"symbol", "symbol"},
    {"movable", "movable"},
    {"with", "with"},
    {"calling", "calling"},
    {"packing", "packing"},
    {"none", "none"},
    {"zeros", "zeros"},
    {"packbits", "packbits"},
    {"lzss", "lzss"},
    {"lz77", "lzss"},
    {"zpak", "zpak"},
    {"auto", "auto"},
    {"smallest", "auto"},
    {"if", "if"},
    {"then", "then"},
    {"else", "else"},
    {"except", "except"},
    {"access", "access"},
    {"elastic", "elastic"},
    {"size", "size"},
    {"unitbitsize", "unitbitsize"},
    {"unitbytesize", "unitbytesize"},
    {"region", "region"},
    {"from", "from"},
    {"to", "to"},
    {"of", "of"},
    {"by", "by"},
    {"do", "do"},
    {"not", "not"},
    {"initialize", "initialize"},
    {"copy", "copy"},
    {"repeat", "repeat"},
    {"displacement", "displacement"},
    {"alignment", "alignment"},
    {"manually", "manually"},
    {"fixed", "fixed"},
    {"mpu", "mpu"},
    {"option", "option"},
    {"order", "order"},
    {"file", "file"},
    {"fill", "fill"},
    {"first", "first"},
    {"last", "last"},
    {"start", "start"},
    {"after", "after"},
    {"end", "end"},
    {"integrity", "integrity"},
    {"check", "check"},
    {"algorithm", "algorithm"},
    {"address", "address"},
    {"minimum", "minimum"},
    {"maximum", "maximum"},
    {"reverse", "reverse"},
    {"alphabetical", "alphabetical"},
    {"locality", "locality"},
    {"reference", "reference"},
    {"count", "count"},
    {"static", "static"},
    {"base", "base"},
    {"root", "root"},
    {"overlay", "overlay"},
    {"keep", "keep"},
    {"readonly", "readonly"},
    {"ro", "readonly"},
    {"readexec", "readexec"},
    {"rx", "readexec"},
    {"readwrite", "readwrite"},
    {"rw", "readwrite"},
    {"zeroinit", "zeroinit"},
    {"zi", "zeroinit"},
    {"init_array", "init_array"},
    {"fini_array", "fini_array"},
    {"thread_local", "thread_local"},
    {"unwindable", "unwindable"},
    {"assert", "assert"},
    {"linked", "linked"},
    {"error", "error"},
    {"warning", "warning"},
    {"remark", "remark"},
    {"random", "random"},
    {"udata8", "udata8"},
    {"u8", "udata8"},
    {"sdata8", "sdata8"},
    {"i8", "sdata8"},
    {"udata16", "udata16"},
    {"u16", "udata16"},
    {"sdata16", "sdata16"},
    {"i16", "sdata16"},
    {"udata32", "udata32"},
    {"u32", "udata32"},
    {"sdata32", "sdata32"},
    {"i32", "sdata32"},
};

Token LexOne(std::string_view source) {
  ScriptLexer lexer = MakeLexer(source);
  lexer.Next();
  return lexer.kind;
}

TEST(ScriptLexerTest, EveryKeywordSpellingGivesItsKind) {
  std::set<Token> kinds;
  for (const KeywordCase &keyword : kKeywordCases) {
    Token kind = LexOne(keyword.text);
    EXPECT_STREQ(KindName(kind), keyword.printed) << keyword.text;
    kinds.insert(kind);
    // The printed spelling gives the same kind as the alias.
    EXPECT_EQ(LexOne(keyword.printed), kind) << keyword.text;
  }
  // Every keyword kind of the token list is reachable from some spelling.
  EXPECT_EQ(kinds.size(), static_cast<size_t>(Token::Sdata32) - static_cast<size_t>(Token::Default) + 1);
  EXPECT_EQ(*kinds.begin(), Token::Default);
  EXPECT_EQ(*kinds.rbegin(), Token::Sdata32);
}

TEST(ScriptLexerTest, KeywordsMatchExactly) {
  EXPECT_EQ(LexOne("ro"), LexOne("readonly"));
  EXPECT_STREQ(KindName(LexOne("ro")), "readonly");
  for (const char *word : {"RO", "READONLY", "Place", "placed", "plac", "ro2", "in_", "u64", "i8*"})
    EXPECT_EQ(LexOne(word), Token::Id) << word;
}

TEST(ScriptLexerTest, EveryKindHasADistinctPrintedName) {
  std::set<std::string> names;
  for (size_t index = 0; index <= static_cast<size_t>(Token::Sdata32); ++index) {
    std::string name = KindName(static_cast<Token>(index));
    EXPECT_FALSE(name.empty()) << index;
    names.insert(name);
  }
  EXPECT_EQ(names.size(), static_cast<size_t>(Token::Sdata32) + 1);
  EXPECT_STREQ(KindName(Token::Eof), "<eof>");
  EXPECT_STREQ(KindName(Token::Id), "<id>");
  EXPECT_STREQ(KindName(Token::Literal), "<literal>");
  EXPECT_STREQ(KindName(Token::ColonColon), "::");
  EXPECT_STREQ(KindName(Token::Implies), "=>");
}

TEST(ScriptLexerTest, AcceptAdvancesOnlyOnAMatch) {
  ScriptLexer lexer = MakeLexer("place \"a b\"\n  7 ;");
  lexer.Next();
  EXPECT_FALSE(lexer.Accept(Token::In));
  EXPECT_TRUE(lexer.Is(Token::Place));
  SourceLocation where;
  EXPECT_FALSE(lexer.AcceptAt(Token::Id, where));
  EXPECT_EQ(where.line, 0u);
  EXPECT_TRUE(lexer.AcceptAt(Token::Place, where));
  EXPECT_EQ(where.line, 1u);
  EXPECT_EQ(where.column, 1u);
  std::string text = "untouched";
  EXPECT_FALSE(lexer.AcceptText(Token::Literal, text));
  EXPECT_EQ(text, "untouched");
  EXPECT_TRUE(lexer.AcceptText(Token::Id, text));
  EXPECT_EQ(text, "a b");
  lexer.ExpectText(Token::Literal, text);
  EXPECT_EQ(text, "7");
  lexer.Expect(Token::Semicolon);
  EXPECT_TRUE(lexer.Accept(Token::Eof));
  EXPECT_TRUE(lexer.Is(Token::Eof));
}

TEST(ScriptLexerTest, ExpectationFailuresNameTheWantedKindAtTheCurrentToken) {
  std::string source = "place\n in {";
  ScriptLexer lexer = MakeLexer(source);
  lexer.Next();
  lexer.Next();
  EXPECT_EQ(FatalMessage([&] { lexer.Expect(Token::Semicolon); }),
            "t.icf:2:2: error: syntax error in linker script: expected ;");
  std::string text;
  EXPECT_EQ(FatalMessage([&] { lexer.ExpectText(Token::Id, text); }),
            "t.icf:2:2: error: expected <id> in linker script");
  EXPECT_EQ(FatalMessage([&] { lexer.Expect(Token::Readonly); }),
            "t.icf:2:2: error: syntax error in linker script: expected readonly");
  lexer.Expect(Token::In);
  EXPECT_EQ(FatalMessage([&] { lexer.ExpectText(Token::Literal, text); }),
            "t.icf:2:5: error: expected <literal> in linker script");
}

TEST(ScriptLexerTest, AnonymousNamesAreNumberedInOrder) {
  std::string first = AnonymousName(SourceLocation{4, 9, "t.icf"});
  std::string second = AnonymousName(SourceLocation{12, 1, "t.icf"});
  unsigned number = 0;
  unsigned next = 0;
  ASSERT_EQ(std::sscanf(first.c_str(), "<#%u>", &number), 1) << first;
  ASSERT_EQ(std::sscanf(second.c_str(), "<#%u>", &next), 1) << second;
  EXPECT_GE(number, 1u);
  EXPECT_EQ(next, number + 1);
  EXPECT_EQ(first, "<#" + std::to_string(number) + "> at line 4, col 9");
  EXPECT_EQ(second, "<#" + std::to_string(next) + "> at line 12, col 1");
}

TEST(ScriptLexerTest, FatalAtPrefixesFileLineAndColumn) {
  EXPECT_EQ(FatalMessage([] { FatalAt(SourceLocation{7, 12, "app.icf"}, "bad %s %d", "thing", 3); }),
            "app.icf:7:12: error: bad thing 3");
}

using ScriptLexerDeathTest = testing_support::LinkerTest;

TEST_F(ScriptLexerDeathTest, LexicalErrorsEndTheRunWithStatus100) {
  EXPECT_EXIT(Tokens("a /* open"), ExitedWithCode(100),
              testing::Eq("\nt.icf:1:1: error: ran off end of file processing linker script (unclosed comment)\n"));
}

} // namespace
