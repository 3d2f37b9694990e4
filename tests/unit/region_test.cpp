// Region expressions: operators left to right without precedence, the
// conditional, and range literals with their repeat forms.
#include "script/region.h"
#include "script/script_lexer.h"
#include "test_support.h"

namespace tanrek {
namespace {

using testing_support::FatalMessage;
using testing_support::LinkerTest;

class RegionTest : public LinkerTest {
protected:
  std::string Region(const std::string &text) {
    ScriptLexer lexer("r.icf", text.data(), text.size());
    lexer.Next();
    RangeList list;
    ParseRegionExpr(linker, lexer, list);
    EXPECT_TRUE(lexer.Is(Token::Eof)) << "unparsed rest in " << text;
    return LongText(list);
  }

  void SetUp() override {
    LinkerTest::SetUp();
    linker.regionTable["A"].ranges = {{0, 0x1000}};
    linker.regionTable["B"].ranges = {{0x100, 0x100}};
  }
};

TEST_F(RegionTest, OperatorsApplyLeftToRight) {
  EXPECT_EQ(Region("A - B"), "[0x00000000 to 0x000000ff] + [0x00000200 to 0x00000fff]");
  EXPECT_EQ(Region("A & [from 0x800 to 0x17FF]"), "[0x00000800 to 0x00000fff]");
  // (A - B) | B, not A - (B | B): the hole is filled again.
  EXPECT_EQ(Region("A - B | B"),
            "[0x00000000 to 0x000000ff] + [0x00000100 to 0x000001ff] + [0x00000200 to 0x00000fff]");
  EXPECT_EQ(Region("A - (B | B)"), "[0x00000000 to 0x000000ff] + [0x00000200 to 0x00000fff]");
  EXPECT_EQ(Region("B + [from 0x200 size 0x100]"), "[0x00000100 to 0x000001ff] + [0x00000200 to 0x000002ff]");
  EXPECT_EQ(Region("B & [from 0x400 size 4]"), "[]");
}

TEST_F(RegionTest, ConditionalsChooseAfterParsingBothBranches) {
  EXPECT_EQ(Region("if 1 then B else A"), "[0x00000100 to 0x000001ff]");
  EXPECT_EQ(FatalMessage([&] { Region("if 0 then C else B"); }), "r.icf:1:11: error: region 'C' is not defined");
  EXPECT_EQ(FatalMessage([&] { Region("if nosuch then A else B"); }),
            "error: linker expression evaluates to undefined when constant expected");
}

TEST_F(RegionTest, RangeLiterals) {
  EXPECT_EQ(Region("[0x100, size 0x10]"), "[0x00000100 to 0x0000010f]");
  EXPECT_EQ(Region("[from 0x1000 size 0x100 repeat 3 displacement 0x1000]"),
            "[0x00001000 to 0x000010ff] + [0x00002000 to 0x000020ff] + [0x00003000 to 0x000030ff]");
  EXPECT_EQ(Region("[from 0x1000 size 0x100 repeat 2]"), "[0x00001000 to 0x000010ff] + [0x00001100 to 0x000011ff]");
  EXPECT_EQ(Region("[from 0x1000 size 0x100 repeat 0]"), "[]");
  EXPECT_EQ(Region("[from 0 size 0x10000000]"), "[0x00000000 to 0x0fffffff]");
  EXPECT_EQ(Region("[from 0xF0000000 to 0xFFFFFFFF]"), "[0xf0000000 to 0xffffffff]");
  // Copies past the top of the address space are left out.
  EXPECT_EQ(Region("[from 0xFFFFFF00 size 0x80 repeat 4]"), "[0xffffff00 to 0xffffff7f] + [0xffffff80 to 0xffffffff]");
  EXPECT_EQ(FatalMessage([&] { Region("[from 0x1000 size 0x100 repeat 3 displacement 0x80]"); }),
            "r.icf:1:51: error: bad repeat");
  EXPECT_EQ(FatalMessage([&] { Region("[from 0 size 1 repeat 0xFFFFFFFF displacement 1]"); }),
            "r.icf:1:48: error: bad repeat");
}

} // namespace
} // namespace tanrek
