#include "icv/integrity.h"

#include <utility>

namespace tanrek {

namespace {

// Every algorithm name with the size of its value, in byte order of the
// names. CRCs store (width + 1) / 8 bytes.
constexpr std::pair<std::string_view, uint32_t> kResultSizes[] = {
    {"Adler-32", 4},
    {"BLAKE2B", 64},
    {"BLAKE2S", 32},
    {"CRC-16/ARC", 2},
    {"CRC-16/CCITT:AUG", 2},
    {"CRC-16/CCITT:NOAUG", 2},
    {"CRC-16/CDMA2000", 2},
    {"CRC-16/KERMIT", 2},
    {"CRC-16/MODBUS", 2},
    {"CRC-16/UMTS", 2},
    {"CRC-16/USB", 2},
    {"CRC-16/X.25", 2},
    {"CRC-16/XMODEM", 2},
    {"CRC-32", 4},
    {"CRC-32/BZIP2", 4},
    {"CRC-32/MPEG2", 4},
    {"CRC-32/POSIX", 4},
    {"CRC-32/STM32", 4},
    {"CRC-32/XFER", 4},
    {"CRC-32C", 4},
    {"CRC-32D", 4},
    {"CRC-32Q", 4},
    {"CRC-7/MMC", 1},
    {"CRC-8", 1},
    {"CRC-8/1WIRE", 1},
    {"CRC-8/AUTOSAR", 1},
    {"CRC-8/BLUETOOTH", 1},
    {"CRC-8/CDMA2000", 1},
    {"CRC-8/DARC", 1},
    {"CRC-8/MAXIM", 1},
    {"CRC-CCITT:AUG", 2},
    {"CRC-CCITT:NOAUG", 2},
    {"MD5", 16},
    {"RIPEMD-160", 20},
    {"SHA-1", 20},
    {"SHA-224", 28},
    {"SHA-256", 32},
    {"SHA-384", 48},
    {"SHA-512", 64},
    {"SHA-512/224", 28},
    {"SHA-512/256", 32},
    {"SHA3-224", 28},
    {"SHA3-256", 32},
    {"SHA3-384", 48},
    {"SHA3-512", 64},
    {"SM3", 32},
    {"XXH32", 4},
};

} // namespace

uint32_t IntegrityResultSize(std::string_view algorithm) {
  for (const auto &[name, size] : kResultSizes)
    if (name == algorithm)
      return size;
  return 0;
}

std::vector<std::string_view> IntegrityAlgorithmNames() {
  std::vector<std::string_view> names;
  for (const auto &entry : kResultSizes)
    names.push_back(entry.first);
  return names;
}

} // namespace tanrek
