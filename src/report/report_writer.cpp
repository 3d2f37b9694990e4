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
  ownsFile = false;
  mode = Text;
  indent = 0;
  atLineStart = 1;
}

void ReportWriter::Print(const char *format, ...) {
  if (!file)
    return;
  va_list args;
  va_start(args, format);
  std::string text = VFormatCut(kTextCapacity, format, args);
  va_end(args);
  std::fputs(text.c_str(), file);
}

void ReportWriter::Line(const char *format, ...) {
  if (!file)
    return;
  va_list args;
  va_start(args, format);
  std::string text = VFormatCut(kTextCapacity, format, args);
  va_end(args);
  std::fprintf(file, "%*s%s\n", static_cast<int>(indent), "", text.c_str());
  atLineStart = 0;
}

void ReportWriter::Close() {
  if (file && ownsFile)
    std::fclose(file);
  file = nullptr;
  ownsFile = false;
}

} // namespace tanrek
