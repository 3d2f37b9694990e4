// Packed initialization data (encoders and selection): not built yet.
#include "init/packing.h"

#include "placement/locatable.h"

#include <cstring>

namespace tanrek {

std::vector<uint8_t> BuildImage(const std::vector<Locatable *> &sections, uint32_t start, uint32_t size) {
  std::vector<uint8_t> image(size);
  for (Locatable *section : sections)
    section->WriteContents(image.data() + (section->Address() - start));
  return image;
}

uint32_t EncodeLzss(std::span<const uint8_t>, uint8_t *) { return 0; }
uint32_t EncodePackbits(std::span<const uint8_t>, uint8_t *) { return 0; }
uint32_t EncodeZpak(std::span<const uint8_t>, uint8_t *) { return 0; }

uint32_t EncodeImage(uint32_t, std::span<const uint8_t> image, std::vector<uint8_t> &packed) {
  packed.assign(2 * image.size(), 0);
  return 0;
}

void SelectPacking(BaseLinker &, std::vector<PackingCandidate> &candidates) {
  for (PackingCandidate &candidate : candidates) {
    candidate.method = InitCopy;
    for (Locatable *section : candidate.sections)
      section->SetInitMethod(InitCopy);
  }
}

} // namespace tanrek
