// printf-style formatting into std::string. Every message, log line and
// report text of the linker is written with a format taken verbatim from
// its documentation, so all of them go through this one checked helper.
#pragma once

#include <cstdarg>
#include <string>

namespace tanrek {

std::string Format(const char *format, ...) __attribute__((format(printf, 1, 2)));
std::string VFormat(const char *format, va_list args) __attribute__((format(printf, 1, 0)));

// Formats into a buffer of `capacity` bytes, as a C buffer would hold it:
// text that does not fit is cut to capacity - 1 characters.
std::string VFormatCut(size_t capacity, const char *format, va_list args)
    __attribute__((format(printf, 2, 0)));

} // namespace tanrek
