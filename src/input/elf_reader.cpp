// The ELF object reader. Header checks come in a fixed order, each with its
// own message, so that a bad file is always refused for the same reason.
// Headers, symbols and relocation entries are copied out of the file bytes
// (member data inside an archive is only 2-byte aligned) and swapped to
// host order when the link is big-endian.
#include "input/input_file.h"

#include "driver/byte_order.h"
#include "driver/diagnostics.h"
#include "driver/format.h"
#include "driver/linker.h"
#include "driver/log.h"
#include "symbols/symbol_table.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace tanrek {

constexpr uint32_t kShtRela = 4, kShtRel = 9, kShtSymtab = 2, kShtStrtab = 3;
constexpr uint32_t kShtInitArray = 14, kShtFiniArray = 15, kShtSymtabShndx = 18;
constexpr uint32_t kShfLinkOrder = 0x80;
constexpr uint32_t kSymbolSize = 16;

// ---------------------------------------------------------------------------
// Files

FileData *LoadFile(BaseLinker &linker, const std::string &path, bool stripDirectory) {
  auto file = std::make_unique<FileData>();
  file->Allocate(0);
  if (!path.empty()) {
    std::FILE *stream = std::fopen(path.c_str(), "rb");
    long size = -1;
    if (stream && std::fseek(stream, 0, SEEK_END) == 0)
      size = std::ftell(stream);
    bool ok = stream && size >= 0 && uint64_t(size) < 0xFFFFFFFFull && std::fseek(stream, 0, SEEK_SET) == 0;
    if (ok)
      ok = std::fread(file->Allocate(uint32_t(size)), 1, size_t(size), stream) == size_t(size);
    if (stream)
      std::fclose(stream);
    if (!ok)
      Fatal(linker, "can't open %s for reading", path.c_str());
    size_t slash = path.rfind('/');
    file->name = stripDirectory && slash != std::string::npos ? path.substr(slash + 1) : path;
    linker.totalInputBytes += file->size;
  }
  linker.files.push_back(std::move(file));
  return linker.files.back().get();
}

bool IsElf(const uint8_t *data, uint32_t size) { return size >= 4 && std::memcmp(data, ELFMAG, 4) == 0; }

bool IsArchive(const uint8_t *data, uint32_t size) { return size >= 8 && std::memcmp(data, "!<arch>\n", 8) == 0; }

ElfImage *MakeElfImage(BaseLinker &linker, uint8_t *data, uint32_t size, std::string displayName) {
  auto image = std::make_unique<ElfImage>();
  image->image = data;
  image->fileSize = size;
  image->displayName = std::move(displayName);
  linker.elfImages.push_back(std::move(image));
  return linker.elfImages.back().get();
}

// ---------------------------------------------------------------------------
// Checked access

[[noreturn]] __attribute__((format(printf, 3, 4))) static void Malformed(BaseLinker &linker, const ElfImage &image,
                                                                        const char *format, ...) {
  va_list args;
  va_start(args, format);
  std::string what = VFormat(format, args);
  va_end(args);
  Fatal(linker, "malformed ELF file %s: %s", image.displayName.c_str(), what.c_str());
}

const Elf32_Shdr &SectionHeader(const ElfImage &image, uint32_t index) {
  if (index >= image.sectionCount)
    Fatal(*theLinker, "Bad index %u into section table of file %s", index, image.displayName.c_str());
  return image.headers[index];
}

const uint8_t *SectionData(const ElfImage &image, uint32_t index) {
  return image.image + SectionHeader(image, index).sh_offset;
}

LinkSection *Section(InputFile &file, uint32_t index) {
  if (index == kIndexAbsolute)
    return file.absSection.get();
  if (index == kIndexCommon)
    return file.commonSection.get();
  if (index >= file.sections.size())
    Fatal(*theLinker, "Bad index %u into section table of file %s", index, file.name.c_str());
  return file.sections[index];
}

Symbol *FileSymbol(InputFile &file, uint32_t index) {
  if (index >= file.symbols.size())
    Fatal(*theLinker, "Bad index %u into symbol table of file %s", index, file.name.c_str());
  return &file.symbols[index];
}

// Null and zero-initialized sections have no bytes in the file, whatever
// their offset and size say; only the others are checked against the file.
static bool HasFileData(const Elf32_Shdr &header) {
  return header.sh_type != kShtNobits && header.sh_type != kShtNull;
}

// A zero-terminated string at `offset` of a string table section.
static std::string_view TableString(BaseLinker &linker, const ElfImage &image, uint32_t table, uint32_t offset,
                                    const char *what) {
  if (table == 0 && offset == 0)
    return {};
  const Elf32_Shdr &header = SectionHeader(image, table);
  if (!HasFileData(header) || offset >= header.sh_size)
    Malformed(linker, image, "%s name offset %u is outside string table section %u", what, offset, table);
  const char *start = reinterpret_cast<const char *>(image.image + header.sh_offset + offset);
  const void *end = std::memchr(start, 0, header.sh_size - offset);
  if (!end)
    Malformed(linker, image, "%s name at offset %u of string table section %u is not terminated", what, offset,
              table);
  return std::string_view(start, static_cast<const char *>(end) - start);
}

// ---------------------------------------------------------------------------
// Header checks

static void SwapHeader(Elf32_Ehdr &h) {
  h.e_type = Swap16(h.e_type);
  h.e_machine = Swap16(h.e_machine);
  h.e_version = Swap32(h.e_version);
  h.e_entry = Swap32(h.e_entry);
  h.e_phoff = Swap32(h.e_phoff);
  h.e_shoff = Swap32(h.e_shoff);
  h.e_flags = Swap32(h.e_flags);
  h.e_ehsize = Swap16(h.e_ehsize);
  h.e_phentsize = Swap16(h.e_phentsize);
  h.e_phnum = Swap16(h.e_phnum);
  h.e_shentsize = Swap16(h.e_shentsize);
  h.e_shnum = Swap16(h.e_shnum);
  h.e_shstrndx = Swap16(h.e_shstrndx);
}

static void SwapSectionHeader(Elf32_Shdr &s) {
  for (Elf32_Word *word : {&s.sh_name, &s.sh_type, &s.sh_flags, &s.sh_addr, &s.sh_offset, &s.sh_size, &s.sh_link,
                           &s.sh_info, &s.sh_addralign, &s.sh_entsize})
    *word = Swap32(*word);
}

// The identification bytes are checked as if the file went on with zero
// bytes, so a file cut short inside them is refused by the first check it
// fails, like any other; one that passes them and is still shorter than a
// header is malformed.
static void CheckHeader(BaseLinker &linker, ElfImage &image) {
  auto ident = [&image](unsigned index) { return index < image.fileSize ? image.image[index] : 0; };
  bool big = linker.TestFlag(Flag::BigEndian);
  if (!IsElf(image.image, image.fileSize))
    Fatal(linker, "not an ELF file");
  if (ident(EI_CLASS) != ELFCLASS32)
    Fatal(linker, "not a 32-bit ELF file");
  if (big && ident(EI_DATA) != ELFDATA2MSB)
    Fatal(linker, "not a big-endian ELF file");
  if (!big && ident(EI_DATA) != ELFDATA2LSB)
    Fatal(linker, "not a little-endian ELF file");
  if (ident(EI_VERSION) != EV_CURRENT)
    Fatal(linker, "not a supported ELF version");
  if (image.fileSize < sizeof(Elf32_Ehdr))
    Malformed(linker, image, "file of %u bytes is too small for an ELF header", image.fileSize);
  std::memcpy(&image.header, image.image, sizeof image.header);
  if (big)
    SwapHeader(image.header);
  const Elf32_Ehdr &h = image.header;
  if (h.e_type != ET_REL)
    Fatal(linker, "not a relocatable ELF file");
  if (h.e_machine != linker.GetPara(2))
    Fatal(linker, "not an %s ELF file", MachineName(linker));
  if (h.e_ehsize != sizeof(Elf32_Ehdr))
    Fatal(linker, "bad ELF header size");
}

static void LogHeader(const Elf32_Ehdr &h) {
  LogLine("ELF header:");
  LogIndent();
  LogLine("e_version:   %u", h.e_version);
  LogLine("e_entry:     0x%08x", h.e_entry);
  LogLine("e_phoff:     0x%08x", h.e_phoff);
  LogLine("e_shoff:     0x%08x", h.e_shoff);
  LogLine("e_flags:     0x%08x", h.e_flags);
  LogLine("e_ehsize:    %u", h.e_ehsize);
  LogLine("e_phentsize: %u", h.e_phentsize);
  LogLine("e_phnum:     %u", h.e_phnum);
  LogLine("e_shentsize: %u", h.e_shentsize);
  LogLine("e_shnum:     %u", h.e_shnum);
  LogLine("e_shstrndx:  %u", h.e_shstrndx);
  LogOutdent();
}

// ---------------------------------------------------------------------------
// The section table

static const char *SectionTypeName(uint32_t type) {
  static const char *const kGeneric[] = {"NULL", "PROGBITS", "SYMTAB", "STRTAB", "RELA",   "HASH",
                                         "DYNAMIC", "NOTE", "NOBITS", "REL",    "SHLIB", "DYNSYM"};
  static const char *const kArrays[] = {"INIT_ARRAY", "FINI_ARRAY", "PREINIT_ARRAY", "GROUP", "SYMTAB_SHNDX"};
  static const char *const kArm[] = {"ARM_EXIDX", "ARM_PREEMPTMAP", "ARM_ATTRIBUTES", "ARM_DEBUGOVERLAY",
                                     "ARM_OVERLAYSECTION"};
  if (type <= 11)
    return kGeneric[type];
  if (type >= 14 && type <= 18)
    return kArrays[type - 14];
  if (type >= 0x70000001 && type <= 0x70000005)
    return kArm[type - 0x70000001];
  return "Unknown";
}

static Elf32_Shdr ReadSectionHeader(const ElfImage &image, uint32_t index, bool big) {
  Elf32_Shdr header;
  std::memcpy(&header, image.image + image.header.e_shoff + uint64_t(index) * sizeof header, sizeof header);
  if (big)
    SwapSectionHeader(header);
  return header;
}

// Reads the section table, with the count in section header 0 when e_shnum
// is 0, and checks that the table and every section's data lie inside the
// file.
static void ReadSectionTable(BaseLinker &linker, ElfImage &image) {
  const Elf32_Ehdr &h = image.header;
  bool big = linker.TestFlag(Flag::BigEndian);
  if (h.e_shoff == 0 && h.e_shnum == 0)
    return;
  if (h.e_shentsize != sizeof(Elf32_Shdr))
    Malformed(linker, image, "section header size is %u, not %zu", h.e_shentsize, sizeof(Elf32_Shdr));
  auto tableFits = [&](uint64_t count) {
    return h.e_shoff <= image.fileSize && count * sizeof(Elf32_Shdr) <= image.fileSize - h.e_shoff;
  };
  uint32_t count = h.e_shnum;
  if (count == 0) {
    if (!tableFits(1))
      Malformed(linker, image, "section header table at offset %u runs past the end of the file", h.e_shoff);
    count = ReadSectionHeader(image, 0, big).sh_size;
  }
  if (!tableFits(count))
    Malformed(linker, image, "section header table at offset %u with %u entries runs past the end of the file",
              h.e_shoff, count);
  image.sectionCount = count;
  image.headers.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    Elf32_Shdr &header = image.headers[i] = ReadSectionHeader(image, i, big);
    if (HasFileData(header) && (header.sh_offset > image.fileSize || header.sh_size > image.fileSize - header.sh_offset))
      Malformed(linker, image, "data of section %u runs past the end of the file", i);
    // Placement rounds addresses up with masks, so alignments must be
    // powers of two.
    if (header.sh_addralign & (header.sh_addralign - 1))
      Malformed(linker, image, "section %u has alignment %u, which is not a power of two", i, header.sh_addralign);
  }
}

static uint32_t SectionNameTable(BaseLinker &linker, const ElfImage &image) {
  uint32_t index = image.header.e_shstrndx;
  if (index == SHN_XINDEX && image.sectionCount > 0)
    index = image.headers[0].sh_link;
  if (index != 0 && index >= image.sectionCount)
    Malformed(linker, image, "section name table index %u is out of range", index);
  return index;
}

static void LogSectionTable(BaseLinker &linker, const ElfImage &image, uint32_t nameTable) {
  LogLine("Section headers:");
  for (uint32_t i = 0; i < image.sectionCount; ++i) {
    const Elf32_Shdr &s = image.headers[i];
    std::string name(TableString(linker, image, nameTable, s.sh_name, "section"));
    LogLine("%4d: %20s %-17s %08x %8u %8u %8u", int(i), name.c_str(), SectionTypeName(s.sh_type), s.sh_flags,
            s.sh_size, s.sh_link, s.sh_info);
  }
}

// Finds the symbol table, its index table and ".strtab", and checks them.
static void FindSymbolTable(BaseLinker &linker, ElfImage &image, uint32_t nameTable) {
  for (uint32_t i = 0; i < image.sectionCount; ++i) {
    Elf32_Shdr &s = image.headers[i];
    if (s.sh_type == kShtSymtab) {
      if (image.symtabHeader)
        Fatal(linker, "more than one symbol table section in ELF file");
      image.symtabHeader = &s;
      image.symtabData = image.image + s.sh_offset;
    } else if (s.sh_type == kShtSymtabShndx) {
      if (image.symtabShndxIndex)
        Fatal(linker, "more than one symbol table section number index section in ELF file");
      image.symtabShndxIndex = i;
    } else if (s.sh_type == kShtStrtab && image.strtabIndex == 0 &&
               TableString(linker, image, nameTable, s.sh_name, "section") == ".strtab") {
      image.strtabIndex = i;
    }
  }
  const Elf32_Shdr *symtab = image.symtabHeader;
  if (!symtab)
    Fatal(linker, "no symbol table section in ELF file");
  if (symtab->sh_entsize != kSymbolSize)
    Fatal(linker, "symbol table entry size is not %u", kSymbolSize);
  if (symtab->sh_size % kSymbolSize != 0)
    Fatal(linker, "symbol table section not a multiple of the symbol size %u", kSymbolSize);
  if (image.symtabShndxIndex) {
    const Elf32_Shdr &index = image.headers[image.symtabShndxIndex];
    if (index.sh_entsize != 4)
      Fatal(linker, "symbol table section index entry size is not 4");
    if (index.sh_size / 4 != symtab->sh_size / kSymbolSize)
      Fatal(linker, "symbol table section index table entry count doesn't equal symbol section entry count");
  }
  // Symbol names come from ".strtab"; a file without one names its symbols
  // through the symbol table's link.
  if (image.strtabIndex == 0)
    image.strtabIndex = symtab->sh_link;
}

// ---------------------------------------------------------------------------
// Sections

InputFile::InputFile(ElfImage *image, std::string fileName, bool archiveMember)
    : elf(image), name(std::move(fileName)), fromArchive(archiveMember) {}

LinkSection *InputFile::AddSection(std::unique_ptr<LinkSection> section) {
  sections.push_back(section.get());
  madeSections.push_back(std::move(section));
  return sections.back();
}

static void LinkExceptionIndex(InputFile &file, LinkSection &index) {
  index.state |= StateExceptionIndex;
  index.sh_flags &= ~kShfLinkOrder;
  LinkSection *target = Section(file, index.sh_link);
  if (target->sh_type != kShtProgbits) {
    LogLine("Section linkage error: %s is incorrectly linked to %s (not of type SHT_PROBGITS)",
            index.Name().c_str(), target->Name().c_str());
    return;
  }
  LogLine("Section %s is linked to section %s and requires section ordering", index.Name().c_str(),
          target->Name().c_str());
  target->state |= StateLinkTarget;
  target->linkedIndexSection = &index;
  index.state |= StateLinkOrdered;
  index.linkedTo = target;
}

static void LoadSections(BaseLinker &linker, InputFile &file, uint32_t nameTable) {
  ElfImage &image = *file.elf;
  file.absSection = std::make_unique<LinkSection>("", kIndexAbsolute);
  file.absSection->file = &file;
  file.absSection->Map(0);
  // Absolute symbols need no placement: their pseudo-section never enters
  // the walk.
  file.absSection->state |= StateQueued;
  file.commonSection = std::make_unique<LinkSection>("", kIndexCommon);
  file.commonSection->file = &file;
  LogLine("Loading %u sections from '%s'", image.sectionCount, file.name.c_str());
  LogIndent();
  file.sectionTable = std::make_unique<LinkSection[]>(image.sectionCount);
  file.sections.reserve(image.sectionCount);
  for (uint32_t i = 0; i < image.sectionCount; ++i) {
    const Elf32_Shdr &h = image.headers[i];
    LinkSection *section = &file.sectionTable[i];
    section->sh_name = h.sh_name;
    section->sh_type = h.sh_type;
    section->sh_flags = h.sh_flags;
    section->sh_addr = h.sh_addr;
    section->sh_offset = h.sh_offset;
    section->sh_size = h.sh_size;
    section->sh_link = h.sh_link;
    section->sh_info = h.sh_info;
    section->sh_addralign = h.sh_addralign;
    section->sh_entsize = h.sh_entsize;
    section->index = i;
    section->file = &file;
    if (HasFileData(h))
      section->fileContents = image.image + h.sh_offset;
    section->name = TableString(linker, image, nameTable, h.sh_name, "section");
    section->displayName = InternDisplayName(section->name);
    if (h.sh_type == kShtInitArray || h.sh_type == kShtFiniArray)
      file.initArraySections.push_back(section);
    file.sections.push_back(section);
  }
  if (linker.TestFlag(Flag::UnwindTables)) {
    for (uint32_t i = 0; i < image.sectionCount; ++i)
      if (file.sections[i]->sh_type == kShtArmExidx)
        LinkExceptionIndex(file, *file.sections[i]);
  }
  for (LinkSection *section : file.initArraySections) {
    if (section->sh_type != kShtInitArray)
      continue;
    LogLine("Removing SHF_WRITE from %s", section->Name().c_str());
    section->sh_flags &= ~kShfWrite;
  }
  LogOutdent();
  // Relocation sections by the section they apply to, in index order, so
  // that loading one section's relocations does not scan the whole table.
  for (uint32_t i = 0; i < image.sectionCount; ++i) {
    const Elf32_Shdr &h = image.headers[i];
    if (h.sh_type == kShtRela || h.sh_type == kShtRel)
      file.relocationSections.emplace_back(h.sh_info, i);
  }
  std::stable_sort(file.relocationSections.begin(), file.relocationSections.end(),
                   [](const auto &a, const auto &b) { return a.first < b.first; });
}

// ---------------------------------------------------------------------------
// Symbols

static bool AcceptedBindingAndType(uint8_t info) {
  switch (info) {
  case 0x00: case 0x01: case 0x02: case 0x03: case 0x04: case 0x06: // local
  case 0x10: case 0x11: case 0x12: case 0x15: case 0x16:            // global
  case 0x20: case 0x21: case 0x22:                                  // weak
    return true;
  default:
    return false;
  }
}

// The 32-bit section index of a symbol, with extended indexes resolved.
static uint32_t SymbolSectionIndex(BaseLinker &linker, const ElfImage &image, uint32_t symbolIndex,
                                   uint16_t shndx) {
  if (shndx < SHN_ABS)
    return shndx;
  if (shndx == SHN_ABS)
    return kIndexAbsolute;
  if (shndx == SHN_COMMON)
    return kIndexCommon;
  if (shndx == SHN_XINDEX) {
    if (!image.symtabShndxIndex)
      Malformed(linker, image, "symbol %u has an extended section index but there is no index table",
                symbolIndex);
    return ReadU32(SectionData(image, image.symtabShndxIndex) + 4 * symbolIndex);
  }
  return shndx;
}

// A common symbol gets a zero-initialized section of its own.
static void MakeCommonSection(InputFile &file, Symbol &symbol) {
  auto section = std::make_unique<LinkSection>();
  section->SetOwnedName(".bss." + std::string(symbol.name));
  section->sh_type = kShtNobits;
  section->sh_flags = kShfWrite | kShfAlloc;
  section->sh_size = symbol.size;
  section->sh_addralign = symbol.value;
  section->index = uint32_t(file.sections.size());
  section->file = &file;
  section->madeForCommon = true;
  symbol.sectionIndex = section->index;
  symbol.shndx16 = uint16_t(section->index);
  symbol.section = section.get();
  symbol.value = 0;
  section->symbols.push_back(&symbol);
  file.AddSection(std::move(section));
}

static void LoadSymbols(BaseLinker &linker, InputFile &file) {
  ElfImage &image = *file.elf;
  bool big = linker.TestFlag(Flag::BigEndian);
  uint32_t count = image.symtabHeader->sh_size / kSymbolSize;
  LogLine("Loading %u symbols from '%s'", count, file.name.c_str());
  LogIndent();
  file.symbols = std::vector<Symbol>(count);
  for (uint32_t i = 0; i < count; ++i) {
    Elf32_Sym raw;
    std::memcpy(&raw, image.symtabData + uint64_t(i) * kSymbolSize, sizeof raw);
    if (big) {
      raw.st_name = Swap32(raw.st_name);
      raw.st_value = Swap32(raw.st_value);
      raw.st_size = Swap32(raw.st_size);
      raw.st_shndx = Swap16(raw.st_shndx);
    }
    Symbol &symbol = file.symbols[i];
    symbol.nameOffset = raw.st_name;
    symbol.value = raw.st_value;
    symbol.size = raw.st_size;
    symbol.info = raw.st_info;
    symbol.other = raw.st_other;
    symbol.shndx16 = raw.st_shndx;
    symbol.file = &file;
    symbol.index = i;
    symbol.valueAsRead = raw.st_value;
    symbol.name = TableString(linker, image, image.strtabIndex, raw.st_name, "symbol");
    symbol.sectionIndex = SymbolSectionIndex(linker, image, i, raw.st_shndx);
    if (symbol.sectionIndex == kIndexCommon) {
      if (symbol.value & (symbol.value - 1))
        Malformed(linker, image, "common symbol %u has alignment %u, which is not a power of two", i, symbol.value);
      MakeCommonSection(file, symbol);
    } else {
      symbol.section = Section(file, symbol.sectionIndex);
      symbol.section->symbols.push_back(&symbol);
    }
    if (!AcceptedBindingAndType(symbol.info))
      Fatal(linker, "Can't deal with symbol %s: bind=%s, type=%s", std::string(symbol.name).c_str(),
            BindingName(symbol.Binding()), SymbolTypeName(symbol.Type()).c_str());
    if (symbol.Binding() != kStbLocal && symbol.sectionIndex != 0)
      DefineGlobal(linker, &symbol);
    if (linker.verbosity > 2)
      LogLine("%32s %08x %10u %-11s %-13s %s", symbol.section->Name().c_str(), symbol.value, symbol.size,
              BindingName(symbol.Binding()), SymbolTypeName(symbol.Type()).c_str(),
              std::string(symbol.name).c_str());
  }
  LogOutdent();
}

static void CollectDebugSections(InputFile &file) {
  for (LinkSection *section : file.sections) {
    if (section->index == 0 || section->madeForCommon)
      continue;
    if (section->name.starts_with(".debug_"))
      file.debugSections.push_back(section);
  }
}

// ".stack_sizes" holds, per function section, an address word (relocated
// against the function's section) followed by the stack size as ULEB128.
static void ReadStackSizes(BaseLinker &linker, InputFile &file) {
  for (size_t i = 0; i < file.sections.size(); ++i) {
    LinkSection &sizes = *file.sections[i];
    if (sizes.name != ".stack_sizes")
      continue;
    LogLine("Assign stack sizes for %s", sizes.Name().c_str());
    for (const Relocation &relocation : Relocations(linker, sizes)) {
      Symbol *symbol = FileSymbol(file, relocation.symbolIndex);
      if (symbol->Binding() != kStbLocal)
        Fatal(linker, "cannot handle binding (%d) in .stack_info section", symbol->Binding());
      if (relocation.type != 2)
        Fatal(linker, "cannot handle relocation %s in .stack_sizes section",
              linker.RelocationName(relocation.type).c_str());
      uint32_t stackSize = 0;
      unsigned shift = 0;
      uint64_t at = uint64_t(relocation.offset) + 4;
      const uint8_t *contents = sizes.Contents();
      for (;; ++at, shift += 7) {
        if (!contents || at >= sizes.Size())
          Malformed(linker, *file.elf, "stack size at offset %u of %s runs past the end of the section",
                    relocation.offset, sizes.Name().c_str());
        uint8_t byte = contents[at];
        if (shift < 32)
          stackSize |= uint32_t(byte & 0x7F) << shift;
        if (!(byte & 0x80))
          break;
      }
      for (Symbol *function : symbol->section->symbols) {
        if (function->Type() != kSttFunc)
          continue;
        function->stackSize = stackSize;
        function->hasStackSize = 1;
        LogLine("Assigning stack size %u to %s", stackSize, std::string(function->name).c_str());
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Objects

InputFile *LoadObject(BaseLinker &linker, ElfImage *image, bool fromArchive) {
  CheckHeader(linker, *image);
  ++linker.elfImageCount;
  if (linker.verbosity > 2)
    LogHeader(image->header);
  ReadSectionTable(linker, *image);
  uint32_t nameTable = SectionNameTable(linker, *image);
  if (linker.verbosity > 2)
    LogSectionTable(linker, *image, nameTable);
  FindSymbolTable(linker, *image, nameTable);
  if (linker.verbosity > 2)
    std::printf("Load file %s:\n", image->displayName.c_str());

  auto owned = std::make_unique<InputFile>(image, image->displayName, fromArchive);
  InputFile &file = *owned;
  linker.inputs.push_back(std::move(owned));
  LoadSections(linker, file, nameTable);
  LoadSymbols(linker, file);
  CollectDebugSections(file);
  if (linker.mapContents & 0x8000)
    ReadStackSizes(linker, file);
  for (LinkSection *section : file.sections) {
    uint32_t type = section->sh_type;
    if (type == kShtProgbits || type == kShtNobits || type == kShtInitArray || type == kShtFiniArray)
      linker.contentSections.insert(section);
  }
  return &file;
}

// ---------------------------------------------------------------------------
// Relocations

static void LoadRelocationSection(BaseLinker &linker, LinkSection &section, uint32_t index) {
  InputFile &file = *section.file;
  const ElfImage &image = *file.elf;
  const Elf32_Shdr &header = image.headers[index];
  bool rela = header.sh_type == kShtRela;
  bool big = linker.TestFlag(Flag::BigEndian);
  LogLine(rela ? "Load RELA relocations for %s (%s)" : "Load REL relocations for %s (%s)", section.Name().c_str(),
          file.name.c_str());
  uint32_t entrySize = rela ? 12 : 8;
  uint32_t count = header.sh_size / entrySize;
  const uint8_t *data = image.image + header.sh_offset;
  section.relocations.reserve(section.relocations.size() + count);
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t words[3] = {0, 0, 0};
    std::memcpy(words, data + uint64_t(i) * entrySize, entrySize);
    if (big)
      for (uint32_t &word : words)
        word = Swap32(word);
    Relocation relocation;
    relocation.offset = relocation.offsetAsRead = words[0];
    relocation.symbolIndex = words[1] >> 8;
    relocation.type = words[1] & 0xFF;
    relocation.addend = rela ? int32_t(words[2]) : 0;
    if (relocation.offset >= section.sh_size)
      Malformed(linker, image, "relocation %u of section %u is at offset 0x%x, beyond the section's %u bytes", i,
                section.index, relocation.offset, section.sh_size);
    section.relocations.push_back(relocation);
  }
}

std::vector<Relocation> &Relocations(BaseLinker &linker, LinkSection &section) {
  if (section.relocationsLoaded)
    return section.relocations;
  section.relocationsLoaded = true;
  InputFile *file = section.file;
  if (!file || !file->elf || section.index >= file->elf->sectionCount)
    return section.relocations;
  auto &table = file->relocationSections;
  auto first = std::lower_bound(table.begin(), table.end(), section.index,
                                [](const auto &entry, uint32_t target) { return entry.first < target; });
  for (auto it = first; it != table.end() && it->first == section.index; ++it)
    LoadRelocationSection(linker, section, it->second);
  return section.relocations;
}

bool HasRelocations(BaseLinker &linker, LinkSection &section) { return !Relocations(linker, section).empty(); }

Symbol *RelocationSymbol(LinkSection &section, const Relocation &relocation) {
  if (relocation.symbolOverride)
    return relocation.symbolOverride;
  return FileSymbol(*section.file, relocation.symbolIndex);
}

LinkSection *MakeLinkerSection(BaseLinker &linker, std::string name, uint32_t type, uint32_t flags, uint32_t size,
                               uint32_t alignment) {
  auto section = std::make_unique<LinkSection>(std::move(name), type, flags, size, alignment);
  section->file = linker.linkerInput.get();
  return linker.linkerInput->AddSection(std::move(section));
}

} // namespace tanrek
