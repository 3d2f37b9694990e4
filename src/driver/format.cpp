#include "driver/format.h"

#include <cstdio>
#include <vector>

namespace tanrek {

std::string VFormat(const char *format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length <= 0)
    return {};
  std::string text(static_cast<size_t>(length), '\0');
  std::vsnprintf(text.data(), text.size() + 1, format, args);
  return text;
}

std::string Format(const char *format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = VFormat(format, args);
  va_end(args);
  return text;
}

std::string VFormatCut(size_t capacity, const char *format, va_list args) {
  std::string text = VFormat(format, args);
  if (capacity > 0 && text.size() > capacity - 1)
    text.resize(capacity - 1);
  return text;
}

} // namespace tanrek
