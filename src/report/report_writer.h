// The report writer: the map file and the link summary are written through
// it, as plain text or as one HTML page. This holds the writer's settings
// and its plain-text line output; headings, tables and the HTML page are
// built on top of them by the map file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace tanrek {

class ReportWriter {
public:
  enum Mode : uint32_t { Text = 0, Html = 1 };

  // Writes text reports to `stream`, which may be stdout.
  void UseText(std::FILE *stream);
  // Indent, the formatted text (at most 1023 characters) and a line feed.
  void Line(const char *format, ...) __attribute__((format(printf, 2, 3)));
  // Writes text as it is, without formatting or cutting.
  void Write(const std::string &text);
  // Finishes the document under construction; closes its file unless it
  // is a standard stream.
  void Close();

  std::FILE *file = nullptr;
  uint32_t mode = Text; // --map-text / --map-html
  uint8_t wrap = 1;     // --map-wrap / --map-no-wrap
  uint32_t indent = 0;
};

} // namespace tanrek
