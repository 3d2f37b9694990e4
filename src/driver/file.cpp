#include "driver/file.h"

#include <cstdio>

namespace tanrek {

std::optional<std::string> ReadWholeFile(const std::string &fileName) {
  std::FILE *file = std::fopen(fileName.c_str(), "rb");
  if (!file)
    return std::nullopt;
  std::string bytes;
  char buffer[65536];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    bytes.append(buffer, count);
  bool failed = std::ferror(file);
  std::fclose(file);
  if (failed)
    return std::nullopt;
  return bytes;
}

} // namespace tanrek
