// The report writer's plain-text lines.
#include "report/report_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace tanrek;

namespace {

TEST(ReportWriterTest, LinesAreIndentedAndCutTo1023Characters) {
  char *buffer = nullptr;
  size_t size = 0;
  std::FILE *stream = open_memstream(&buffer, &size);
  ReportWriter writer;
  writer.UseText(stream);
  writer.indent = 2;
  writer.Line("Link complete: %s", "0 errors");
  writer.indent = 0;
  writer.Line("%s", std::string(2000, 'x').c_str());
  writer.Close(); // closes the stream it does not share with the process
  EXPECT_EQ(writer.file, nullptr);
  EXPECT_EQ(std::string(buffer, size), "  Link complete: 0 errors\n" + std::string(1023, 'x') + "\n");
  std::free(buffer);
}

TEST(ReportWriterTest, ClosingLeavesTheStandardStreamsOpen) {
  ReportWriter writer;
  writer.UseText(stdout);
  writer.Close();
  EXPECT_EQ(writer.file, nullptr);
  EXPECT_NE(std::fputs("", stdout), EOF); // still usable
  EXPECT_EQ(std::ferror(stdout), 0);
}

} // namespace
