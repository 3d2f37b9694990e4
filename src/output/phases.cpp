// Pipeline phases owned by the image writer: relocation of every placed
// section, the debug sections and the output file.
//
// "Write image" fills the segments, the symbol table and the string tables,
// lays every chunk out at consecutive file offsets, patches the headers
// with the offsets, and writes the file. The file is written under a
// temporary name in the output's directory and renamed over the output at
// the end, so an interrupted or failed link never leaves half a file under
// the output's name; an output that exists and is not a regular file (such
// as /dev/null) is written in place.
#include "driver/byte_order.h"
#include "driver/diagnostics.h"
#include "driver/linker.h"
#include "driver/log.h"
#include "input/input_file.h"
#include "output/output_image.h"
#include "output/output_phases.h"
#include "symbols/symbol_table.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace tanrek {

namespace {

// ---------------------------------------------------------------------------
// Layout and header patches

// Every chunk list in file order.
std::vector<ChunkList *> LayoutOrder(OutputImage &image) {
  std::vector<ChunkList *> order{&image.headerChunks};
  for (auto &segment : image.segments)
    order.push_back(&segment->contents);
  for (OutputSection *section : image.sections)
    if (!section->boundItem)
      order.push_back(&section->data);
  order.push_back(&image.shdrChunks);
  order.push_back(&image.phdrChunks);
  return order;
}

void Layout(OutputImage &image) {
  if (image.strtab) {
    image.strtab->data.Add(image.symbolNames.Text().data(), uint32_t(image.symbolNames.Text().size()));
    image.shstrtab->data.Add(image.sectionNames.Text().data(), uint32_t(image.sectionNames.Text().size()));
  }
  for (OutputSection *section : image.sections)
    image.shdrChunks.Add(&section->header, sizeof section->header);
  uint32_t offset = 0;
  for (ChunkList *list : LayoutOrder(image)) {
    list->offset = offset;
    offset += list->size;
  }
}

void PatchBoundSection(OutputSection &section) {
  const Locatable &item = *section.boundItem;
  const OutputSegment &segment = *section.boundSegment;
  Elf32_Shdr &header = section.header;
  header.sh_addr = item.Address();
  header.sh_addralign = item.Alignment();
  header.sh_flags = item.Flags() & ~kShfGroup;
  header.sh_size = item.Size();
  if (!section.boundLoaded || segment.contents.size == 0) {
    header.sh_type = SHT_NOBITS;
    header.sh_offset = 0;
    return;
  }
  uint32_t into = item.Address() > segment.start ? item.Address() - segment.start : 0;
  header.sh_offset = item.Size() ? segment.contents.offset + into : 0;
  // An exception index table names the code it describes.
  if (const auto *table = dynamic_cast<const LinkSection *>(&item); table && table->sh_type == kShtArmExidx)
    if (table->linkedTo && table->linkedTo->outputSection)
      header.sh_link = table->linkedTo->outputSection->index;
}

void PatchSectionHeaders(OutputImage &image) {
  for (OutputSection *section : image.sections) {
    if (section->boundItem) {
      PatchBoundSection(*section);
    } else if (section != image.nullSection) {
      section->header.sh_offset = section->data.size ? section->data.offset : 0;
      section->header.sh_size = section->data.size;
    }
  }
}

void PatchProgramHeaders(OutputImage &image) {
  for (auto &segment : image.segments) {
    Elf32_Phdr &header = segment->header;
    header.p_align = segment->alignment;
    if (segment->members.empty())
      continue;
    header.p_type = PT_LOAD;
    header.p_vaddr = header.p_paddr = segment->start;
    header.p_offset = segment->contents.offset;
    header.p_filesz = segment->contents.size;
    header.p_memsz = segment->end - segment->start;
    header.p_flags = 0;
    if (segment->flags & kShfExecinstr)
      header.p_flags |= PF_X;
    if (segment->flags & kShfWrite)
      header.p_flags |= PF_W;
    if (!(segment->flags & kShfArmNoread))
      header.p_flags |= PF_R;
  }
}

void PatchFileHeader(BaseLinker &linker, OutputImage &image) {
  Elf32_Ehdr &header = image.header;
  if (linker.entrySymbolName && !linker.entrySymbolName->empty()) {
    // A definition in a section that was left out of the image (nothing
    // kept or referenced it) has no address: the entry stays 0.
    Symbol *entry = LookupGlobal(linker, *linker.entrySymbolName);
    if (entry && (!entry->section || entry->section->IsMapped()))
      header.e_entry = entry->Address();
    else if (!entry)
      Warning(linker, "entry symbol '%s' undefined, program entry address set to zero",
              linker.entrySymbolName->c_str());
  }
  if (linker.sectionHeaderMode != 0) {
    if (image.shstrtab->index < SHN_XINDEX && !image.RolledOver()) {
      header.e_shstrndx = uint16_t(image.shstrtab->index);
    } else {
      header.e_shstrndx = SHN_XINDEX;
      image.nullSection->header.sh_link = image.shstrtab->index;
      LogLine("Flag 64k rollover in e_shstrndx and place section header index into null section's sh_link");
    }
    if (!image.sections.empty())
      header.e_shoff = image.shdrChunks.offset;
  }
  header.e_phoff = image.phdrChunks.offset;
}

// ---------------------------------------------------------------------------
// Big-endian output

template <typename T> void SwapField(T &field) {
  if constexpr (sizeof(T) == 2)
    field = Swap16(field);
  else if constexpr (sizeof(T) == 4)
    field = Swap32(field);
}

void SwapHeaders(OutputImage &image) {
  Elf32_Ehdr &h = image.header;
  for (auto *field : {&h.e_type, &h.e_machine, &h.e_ehsize, &h.e_phentsize, &h.e_phnum, &h.e_shentsize,
                      &h.e_shnum, &h.e_shstrndx})
    SwapField(*field);
  for (auto *field : {&h.e_version, &h.e_entry, &h.e_phoff, &h.e_shoff, &h.e_flags})
    SwapField(*field);
  for (auto &segment : image.segments) {
    Elf32_Phdr &p = segment->header;
    for (auto *field : {&p.p_type, &p.p_offset, &p.p_vaddr, &p.p_paddr, &p.p_filesz, &p.p_memsz, &p.p_flags,
                        &p.p_align})
      SwapField(*field);
  }
  for (OutputSection *section : image.sections) {
    Elf32_Shdr &s = section->header;
    for (auto *field : {&s.sh_name, &s.sh_type, &s.sh_flags, &s.sh_addr, &s.sh_offset, &s.sh_size, &s.sh_link,
                        &s.sh_info, &s.sh_addralign, &s.sh_entsize})
      SwapField(*field);
  }
  for (Elf32_Sym &symbol : image.symbols) {
    SwapField(symbol.st_name);
    SwapField(symbol.st_value);
    SwapField(symbol.st_size);
    SwapField(symbol.st_shndx);
  }
}

// ---------------------------------------------------------------------------
// The file

// Where the bytes go first: a new file next to the output, or the output
// itself when it is a device or pipe.
struct OutputTarget {
  std::FILE *stream = nullptr;
  std::string temporaryName;
};

OutputTarget OpenOutput(BaseLinker &linker) {
  const std::string &path = linker.outputFileName;
  OutputTarget target;
  struct stat info;
  if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    target.stream = std::fopen(path.c_str(), "wb");
  } else {
    std::string name = path + ".tanrek-XXXXXX";
    int fd = mkstemp(name.data());
    if (fd >= 0) {
      mode_t mask = umask(0);
      umask(mask);
      fchmod(fd, 0777 & ~mask);
      target.stream = fdopen(fd, "wb");
      target.temporaryName = name;
    }
  }
  if (!target.stream)
    Fatal(linker, "cannot open '%s' for writing", path.c_str());
  return target;
}

bool WriteChunk(std::FILE *stream, const ChunkList::Chunk &chunk) {
  if (const uint8_t *bytes = chunk.Bytes())
    return std::fwrite(bytes, 1, chunk.size, stream) == chunk.size;
  // A section whose contents went away since it joined its segment.
  for (uint32_t i = 0; i < chunk.size; ++i)
    if (std::fputc(0, stream) == EOF)
      return false;
  return true;
}

void WriteFile(BaseLinker &linker, OutputImage &image) {
  OutputTarget target = OpenOutput(linker);
  bool ok = true;
  for (ChunkList *list : LayoutOrder(image))
    for (const ChunkList::Chunk &chunk : list->chunks)
      ok = ok && WriteChunk(target.stream, chunk);
  ok = std::fclose(target.stream) == 0 && ok;
  if (!target.temporaryName.empty()) {
    if (ok)
      ok = std::rename(target.temporaryName.c_str(), linker.outputFileName.c_str()) == 0;
    if (!ok)
      std::remove(target.temporaryName.c_str());
  }
  if (!ok)
    Fatal(linker, "cannot write '%s'", linker.outputFileName.c_str());
}

// Integrity check values are computed over the final image, here: after
// the symbol table, before the layout. They do not exist yet.
void ComputeIntegrityChecks(BaseLinker &) {}

// ---------------------------------------------------------------------------
// Debug sections

// The debug sections of every file that contributes to the image, grouped
// by name in byte order; within a name in the order the files are met.
std::map<std::string, std::vector<LinkSection *>> DebugGroups(BaseLinker &linker) {
  std::set<InputFile *> seen;
  std::map<std::string, std::vector<LinkSection *>> groups;
  for (LinkSection *section : linker.sectionsToPlace) {
    InputFile *file = section->file;
    if (!file || !seen.insert(file).second)
      continue;
    // A debug section that the image itself holds is not combined.
    for (LinkSection *debug : file->debugSections)
      if (!debug->IsMapped())
        groups[debug->Name()].push_back(debug);
  }
  return groups;
}

} // namespace

// Every pass starts from the unrelocated contents, so that each one gives
// the same bytes for the same layout and the last one wins.
void BaseLinker::RelocateImage() {
  for (LinkSection *section : sectionsToPlace)
    RelocateSection(*section, RelocationApply);
}

// Each debug section gets its offset in the combined output section as its
// address, so that relocations between debug sections (through their
// section symbols) resolve to offsets in the output.
void BaseLinker::CombineDebug() {
  if (TestFlag(Flag::NoDebug) || sectionHeaderMode == 0)
    return;
  auto groups = DebugGroups(*this);
  for (auto &[name, members] : groups) {
    OutputSection *output = image->AddNewSection(name, SHT_PROGBITS, 0);
    uint32_t offset = 0;
    for (LinkSection *section : members) {
      section->Map(offset);
      offset += section->Size();
      if (section->sh_type == SHT_NOBITS || !section->Contents())
        image->AddZeros(output->data, section->Size());
      else
        output->data.Add(section->MutableContents(), section->Size());
    }
  }
  for (auto &[name, members] : groups)
    for (LinkSection *section : members)
      RelocateDebugSection(*section);
}

void BaseLinker::WriteImage() {
  if (ErrorCount() != 0 && !TestFlag(Flag::ForceOutput))
    return;
  OutputImage &out = *image;
  CreateProgramSections(*this);
  MakeSymbolTable(*this);
  // Copied blocks and the initialization data take their final contents.
  FinalizeInitializationData();
  ComputeIntegrityChecks(*this);
  Layout(out);
  if (sectionHeaderMode != 0)
    PatchSectionHeaders(out);
  PatchProgramHeaders(out);
  PatchFileHeader(*this, out);
  if (TestFlag(Flag::BigEndian))
    SwapHeaders(out);
  WriteFile(*this, out);
}

} // namespace tanrek
