// Packed initialization data: the three stream formats that start-up code
// unpacks (LZSS, PackBits, ZPAK), their encoders, and the selection that
// picks, for each run of data initialized with packing "auto", the method
// with the smallest flash footprint (packed bytes plus the code size of the
// start-up routine that unpacks them).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tanrek {

class BaseLinker;
class Locatable;

// The plain contents of a contiguous run of sections: `size` bytes from
// `start`, zero-filled, each section's contents written at its address
// minus `start` (gaps stay zero).
std::vector<uint8_t> BuildImage(const std::vector<Locatable *> &sections, uint32_t start, uint32_t size);

// The bytes an encoder may write for an image of `size` bytes: twice the
// size, and one more for the end marker of the shortest inputs (PackBits
// writes 00 61 80 for the one byte 61, and an empty image still has a
// PackBits or LZSS end marker).
constexpr uint32_t PackedCapacity(uint32_t size) { return 2 * size + 1; }

// The encoders write into `out`, which must hold PackedCapacity(image
// size) bytes, and return the number of bytes written.
uint32_t EncodeLzss(std::span<const uint8_t> image, uint8_t *out);
uint32_t EncodePackbits(std::span<const uint8_t> image, uint8_t *out);
uint32_t EncodeZpak(std::span<const uint8_t> image, uint8_t *out);

// Encodes `image` with `method` (InitLzss, InitPackbits or InitZpak; InitCopy
// gives the image itself) into `packed`, which then holds exactly the bytes
// written; returns their count.
uint32_t EncodeImage(uint32_t method, std::span<const uint8_t> image, std::vector<uint8_t> &packed);

// One run of data whose packing is chosen by the selection.
struct PackingCandidate {
  std::vector<Locatable *> sections;
  uint32_t start = 0;
  uint32_t size = 0;
  std::vector<uint8_t> image;
  bool imageBuilt = false;
  std::vector<uint8_t> packed;
  uint32_t packedSize = 0;
  uint32_t method = 0;
};

// Chooses the method of every candidate, in order, and sets it on each of
// the candidate's sections.
void SelectPacking(BaseLinker &linker, std::vector<PackingCandidate> &candidates);

} // namespace tanrek
