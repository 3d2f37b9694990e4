#include "report/report_writer.h"

#include "driver/format.h"

#include <cstdarg>

namespace tanrek {

namespace {
constexpr size_t kTextCapacity = 1024;
} // namespace

void ReportWriter::UseText(std::FILE *stream) {
  Close();
  file = stream;
  mode = Text;
  indent = 0;
}

void ReportWriter::Line(const char *format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = VFormatCut(kTextCapacity, format, args);
  va_end(args);
  Write(std::string(indent, ' ') + text + "\n");
}

void ReportWriter::Write(const std::string &text) {
  if (file)
    std::fwrite(text.data(), 1, text.size(), file);
}

void ReportWriter::Close() {
  if (file && file != stdout && file != stderr)
    std::fclose(file);
  file = nullptr;
}

} // namespace tanrek
