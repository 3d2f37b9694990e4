// The log: the headline box and indentation.
#include "driver/log.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace tanrek;
using testing_support::CaptureLog;

namespace {

const std::string kStars(87, '*');
const std::string kBorder = "***" + std::string(81, ' ') + "***";

TEST(LogTest, HeadlineOfTwelveCharacters) {
  std::string text = CaptureLog([] { LogLine("%s", "Parse script"); });
  std::string expected = "\n\n" + kStars + "\n" + kBorder + "\n" + "*** " + std::string(33, ' ') + "Parse script" +
                         std::string(34, ' ') + " ***\n" + kBorder + "\n" + kStars + "\n\n";
  EXPECT_EQ(text, expected);
}

TEST(LogTest, HeadlineOfSeventyFiveCharactersIsCutToSeventy) {
  std::string title(75, 'x');
  for (size_t i = 0; i < title.size(); ++i)
    title[i] = static_cast<char>('a' + i % 26);
  std::string text = CaptureLog([&] { LogLine("%s", title.c_str()); });
  std::string expected = "\n\n" + kStars + "\n" + kBorder + "\n" + "*** " + std::string(4, ' ') +
                         title.substr(0, 70) + std::string(5, ' ') + " ***\n" + kBorder + "\n" + kStars + "\n\n";
  EXPECT_EQ(text, expected);
}

TEST(LogTest, EveryHeadlineLineIs87Wide) {
  for (size_t length : {0, 1, 2, 13, 69, 70, 71, 200}) {
    std::string text = CaptureLog([&] { LogLine("%s", std::string(length, 'T').c_str()); });
    size_t start = 2, lines = 0;
    while (start < text.size() - 1) {
      size_t end = text.find('\n', start);
      ASSERT_NE(end, std::string::npos);
      EXPECT_EQ(end - start, 87u) << "title length " << length;
      start = end + 1;
      ++lines;
    }
    EXPECT_EQ(lines, 5u);
  }
}

TEST(LogTest, IndentationFollowsDepth) {
  std::string text = CaptureLog([] {
    LogIndent();
    LogLine("one %d", 1);
    LogIndent();
    LogLine("two");
    EXPECT_EQ(LogOutdent(), 1u);
    EXPECT_EQ(LogOutdent(), 0u);
    EXPECT_EQ(LogOutdent(), 0u); // never below zero
  });
  EXPECT_EQ(text, "  one 1\n      two\n");
}

TEST(LogTest, NothingIsWrittenWithoutAStream) {
  theLog.stream = nullptr;
  LogLine("dropped"); // must not crash
  EXPECT_FALSE(LogOpen());
}

} // namespace
