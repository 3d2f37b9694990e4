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

  // Writes text reports to `stream` (not owned).
  void UseText(std::FILE *stream);
  void Print(const char *format, ...) __attribute__((format(printf, 2, 3)));
  void Line(const char *format, ...) __attribute__((format(printf, 2, 3)));
  // Finishes the document under construction and closes its file.
  void Close();

  // Writes text as it is, without formatting or cutting.
  void Write(const std::string &text);

  std::FILE *file = nullptr;
  bool ownsFile = false;
  uint32_t mode = Text; // --map-text / --map-html
  uint8_t wrap = 1;     // --map-wrap / --map-no-wrap
  uint8_t atLineStart = 1;
  uint32_t indent = 0;
};

} // namespace tanrek
