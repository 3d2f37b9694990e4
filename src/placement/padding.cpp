// Padding of section sizes to their alignment. With a --pad- option, every
// reached section of the chosen kinds grows with zero bytes until its size
// is a multiple of its alignment (at most 16), so that sections laid out
// one after another leave no alignment gaps between them.
#include "driver/linker.h"
#include "driver/log.h"
#include "placement/placement.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tanrek {

namespace {

// Large alignments are padded only to 16 bytes: enough to keep the usual
// vector and cache-line alignments, without wasting a page per section.
constexpr uint32_t kLargestPadUnit = 16;

} // namespace

// The original bytes (the replacement contents, else the file's) are
// extended into replacement contents, which survive unmapping; a working
// copy, which may already hold patched bytes, grows along so that
// whichever the section reads from has the new size. Replacement contents
// grow in place, so a section that grows many times is not copied each
// time. Sections without bytes in the file (NOBITS) only change their size.
void GrowSection(LinkSection &section, uint32_t newSize) {
  if (section.sh_type != kShtNobits) {
    if (section.hasReplacement) {
      section.replacementContents.resize(newSize, 0);
    } else {
      std::vector<uint8_t> bytes(newSize, 0);
      if (section.fileContents)
        std::memcpy(bytes.data(), section.fileContents, section.Size());
      section.SetReplacementContents(std::move(bytes));
    }
    if (section.hasWorkingCopy)
      section.workingCopy.resize(newSize, 0);
  }
  section.sh_size = newSize;
}

void PadSection(LinkSection &section) {
  uint32_t alignment = section.Alignment();
  section.sh_addralign = std::max(section.sh_addralign, alignment);
  uint32_t unit = std::min(alignment, kLargestPadUnit);
  if (unit < 2)
    return;
  uint32_t oldSize = section.Size();
  uint32_t excess = oldSize % unit;
  if (excess == 0)
    return;
  uint32_t padding = unit - excess;
  GrowSection(section, oldSize + padding);
  LogLine("Padding section '%s' to align size to %u: size increased by %u from %u to %u",
          section.DisplayName().c_str(), unit, padding, oldSize, section.Size());
}

void BaseLinker::PadSections() {
  LogLine("Padding sections for section alignment");
  for (LinkSection *section : sectionsToPlace)
    if (padByKind[section->Kind()])
      PadSection(*section);
}

} // namespace tanrek
