// Target byte-order accessors. The whole link has one byte order, chosen
// by --big-endian; the host is little-endian. Section contents are read and
// written only through these, so that no subsystem swaps bytes by hand.
//
// A 32-bit Thumb instruction is two halfwords, each in target order; the
// accessor treats them as one value whose low 16 bits are the first
// halfword, so encoders see the same value in either byte order.
#pragma once

#include <cstdint>
#include <cstring>

namespace tanrek {

// Set once after the options are read (and by tests).
extern bool targetBigEndian;

inline uint16_t Swap16(uint16_t v) { return __builtin_bswap16(v); }
inline uint32_t Swap32(uint32_t v) { return __builtin_bswap32(v); }
inline uint64_t Swap64(uint64_t v) { return __builtin_bswap64(v); }

template <typename T> inline T LoadHost(const uint8_t *p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
template <typename T> inline void StoreHost(uint8_t *p, T v) { std::memcpy(p, &v, sizeof v); }

inline uint8_t ReadU8(const uint8_t *p) { return *p; }
inline uint16_t ReadU16(const uint8_t *p) {
  uint16_t v = LoadHost<uint16_t>(p);
  return targetBigEndian ? Swap16(v) : v;
}
inline uint32_t ReadU32(const uint8_t *p) {
  uint32_t v = LoadHost<uint32_t>(p);
  return targetBigEndian ? Swap32(v) : v;
}
inline uint64_t ReadU64(const uint8_t *p) {
  uint64_t v = LoadHost<uint64_t>(p);
  return targetBigEndian ? Swap64(v) : v;
}

inline void WriteU8(uint8_t *p, uint8_t v) { *p = v; }
inline void WriteU16(uint8_t *p, uint16_t v) { StoreHost(p, targetBigEndian ? Swap16(v) : v); }
inline void WriteU32(uint8_t *p, uint32_t v) { StoreHost(p, targetBigEndian ? Swap32(v) : v); }
inline void WriteU64(uint8_t *p, uint64_t v) { StoreHost(p, targetBigEndian ? Swap64(v) : v); }

inline uint32_t ReadThumb32(const uint8_t *p) { return ReadU16(p) | uint32_t(ReadU16(p + 2)) << 16; }
inline void WriteThumb32(uint8_t *p, uint32_t v) {
  WriteU16(p, uint16_t(v));
  WriteU16(p + 2, uint16_t(v >> 16));
}

} // namespace tanrek
