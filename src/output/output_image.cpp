// The parts of the output image that every later phase adds to: the file
// header, output sections with their string tables and the extended
// section numbering, and program segments.
//
// Extended numbering: e_shnum counts sections up to 65535; the 65536th
// section sets it to 0 and the null section's sh_size takes the real count
// from then on, as the ELF standard describes.
#include "output/output_image.h"

#include "driver/linker.h"
#include "driver/log.h"

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

namespace tanrek {

namespace {

// Shared by every run of zeros up to this size.
constexpr uint32_t kZeroPage = 4096;
const uint8_t kZeros[kZeroPage] = {};

} // namespace

const uint8_t *ChunkList::Chunk::Bytes() const { return section ? section->Contents() + skip : data; }

uint32_t StringTable::Add(std::string_view name) {
  if (name.empty())
    return 0;
  auto [it, inserted] = offsets.try_emplace(std::string(name), uint32_t(text.size()));
  if (inserted) {
    text.append(name);
    text.push_back('\0');
  }
  return it->second;
}

OutputSection *OutputImage::CreateSection(std::string name, uint32_t type, uint32_t flags) {
  OutputSection &section = sectionStore.emplace_back();
  section.name = std::move(name);
  section.header.sh_type = type;
  section.header.sh_flags = flags;
  section.header.sh_addralign = 1;
  return &section;
}

void OutputImage::AddOutputSection(OutputSection &section) {
  if (section.added)
    return;
  section.added = true;
  section.index = uint32_t(sections.size());
  section.nameOffset = sectionNames.Add(section.name);
  section.header.sh_name = section.nameOffset;
  sections.push_back(&section);
  if (!RolledOver() && header.e_shnum != 0xFFFF) {
    ++header.e_shnum;
    return;
  }
  if (!RolledOver()) {
    header.e_shnum = 0;
    nullSection->header.sh_size = 0x10000;
    LogLine("Rolled over 64k section headers");
    return;
  }
  ++nullSection->header.sh_size;
}

OutputSection *OutputImage::AddNewSection(std::string name, uint32_t type, uint32_t flags) {
  OutputSection *section = CreateSection(std::move(name), type, flags);
  AddOutputSection(*section);
  return section;
}

OutputSegment *OutputImage::AddSegment() {
  OutputSegment *segment = segments.emplace_back(std::make_unique<OutputSegment>()).get();
  phdrChunks.Add(&segment->header, sizeof segment->header);
  ++header.e_phnum;
  return segment;
}

const uint8_t *OutputImage::Keep(std::vector<uint8_t> bytes) { return storage.emplace_back(std::move(bytes)).data(); }

void OutputImage::AddZeros(ChunkList &list, uint32_t count) {
  if (count > kZeroPage) {
    list.Add(Keep(std::vector<uint8_t>(count)), count);
    return;
  }
  list.Add(kZeros, count);
}

void DiscardOutput(const std::string &path) {
  struct stat info;
  if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
    std::remove(path.c_str());
}

// The header in host order, and with section headers the null section and
// the two string tables, which always take indexes 0, 1 and 2.
void BaseLinker::PrepareOutputImage() {
  image = std::make_unique<OutputImage>();
  Elf32_Ehdr &header = image->header;
  std::copy_n(ELFMAG, SELFMAG, header.e_ident);
  header.e_ident[EI_CLASS] = ELFCLASS32;
  header.e_ident[EI_DATA] = TestFlag(Flag::BigEndian) ? ELFDATA2MSB : ELFDATA2LSB;
  header.e_ident[EI_VERSION] = EV_CURRENT;
  header.e_type = ET_EXEC;
  header.e_machine = uint16_t(GetPara(2));
  header.e_version = EV_CURRENT;
  header.e_flags = GetPara(3);
  header.e_ehsize = sizeof(Elf32_Ehdr);
  header.e_phentsize = sizeof(Elf32_Phdr);
  header.e_shentsize = sizeof(Elf32_Shdr);
  image->headerChunks.Add(&header, sizeof header);
  if (sectionHeaderMode == 0)
    return;
  image->nullSection = image->AddNewSection("", SHT_NULL, 0);
  image->nullSection->header.sh_addralign = 0;
  image->strtab = image->AddNewSection(".strtab", SHT_STRTAB, 0);
  image->shstrtab = image->AddNewSection(".shstrtab", SHT_STRTAB, 0);
}

} // namespace tanrek
