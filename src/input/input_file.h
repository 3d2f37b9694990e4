// Input files: the bytes of every file read, the view of an ELF object
// (named on the command line or taken out of an archive), and the loaded
// object with its sections and symbols.
//
// Each file is read once, whole, with one zero byte after its end, and is
// interpreted in place: sections point into these bytes for the whole run.
// With --big-endian the reader swaps the ELF header, the section headers,
// the symbols and the relocation entries in place once, so that everything
// after the reader sees host-order headers; section contents are never
// swapped.
//
// Every offset, size, index and string read from a file is checked before
// use; a file that lies about its own layout ends the link with a fatal
// error that names the file.
#pragma once

#include "input/relocation.h"
#include "placement/locatable.h"
#include "symbols/symbol.h"

#include <cstdint>
#include <elf.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tanrek {

class BaseLinker;

// The bytes of one file, followed by one zero byte.
struct FileData {
  std::string name;
  std::unique_ptr<uint8_t[]> bytes;
  uint32_t size = 0;
  // Makes room for `count` bytes and the zero byte after them.
  uint8_t *Allocate(uint32_t count) {
    bytes.reset(new uint8_t[size_t(count) + 1]);
    bytes[count] = 0;
    size = count;
    return bytes.get();
  }
  const uint8_t *data() const { return bytes.get(); }
  uint8_t *data() { return bytes.get(); }
};

// The view of one ELF file: a named object or an archive member.
struct ElfImage {
  uint8_t *image = nullptr;
  // The ELF header and the section table, copied out and in host order.
  Elf32_Ehdr header = {};
  std::vector<Elf32_Shdr> headers;
  Elf32_Shdr *symtabHeader = nullptr;
  const uint8_t *symtabData = nullptr;
  uint32_t strtabIndex = 0;
  uint32_t symtabShndxIndex = 0;
  uint32_t sectionCount = 0;
  std::string displayName;
  uint32_t fileSize = 0;
  std::string memberName;
  std::string archiveName;
  // The names the archive's lookup table lists for this member.
  std::vector<std::string_view> indexedNames;
};

// One loaded object. The linker's own sections belong to a pseudo input of
// this class named "[ Linker created ]".
class InputFile {
public:
  InputFile(ElfImage *image, std::string fileName, bool archiveMember);

  std::vector<LinkSection *> debugSections;
  ElfImage *elf;
  std::unique_ptr<LinkSection> absSection;
  std::unique_ptr<LinkSection> commonSection;
  // Indexed by section index; index 0 is the file's null section.
  std::vector<LinkSection *> sections;
  // The sections of the file's section table, in one block, and sections
  // made later (for common symbols, or by the linker) one by one.
  std::unique_ptr<LinkSection[]> sectionTable;
  std::vector<std::unique_ptr<LinkSection>> madeSections;
  // Appends a section made after the section table was read.
  LinkSection *AddSection(std::unique_ptr<LinkSection> section);
  // Indexed by symbol index; made once, never resized.
  std::vector<Symbol> symbols;
  std::vector<LinkSection *> initArraySections;
  std::string name;
  bool fromArchive;
  // (section index, relocation section index), ordered by section index.
  std::vector<std::pair<uint32_t, uint32_t>> relocationSections;
};

// Reads a whole file. An empty path gives empty data; a file that cannot be
// read is fatal. The name is the part after the last '/' when
// `stripDirectory` is set.
FileData *LoadFile(BaseLinker &linker, const std::string &path, bool stripDirectory);

bool IsElf(const uint8_t *data, uint32_t size);
bool IsArchive(const uint8_t *data, uint32_t size);

// Makes the view of an ELF file held in `data` (owned elsewhere).
ElfImage *MakeElfImage(BaseLinker &linker, uint8_t *data, uint32_t size, std::string displayName);

// Loads an object: header checks, sections, symbols, stack sizes. The
// file's global definitions enter the global symbol table.
InputFile *LoadObject(BaseLinker &linker, ElfImage *image, bool fromArchive);

const Elf32_Shdr &SectionHeader(const ElfImage &image, uint32_t index);
const uint8_t *SectionData(const ElfImage &image, uint32_t index);
LinkSection *Section(InputFile &file, uint32_t index);
Symbol *FileSymbol(InputFile &file, uint32_t index);

// The relocations of a section, loaded on first use.
std::vector<Relocation> &Relocations(BaseLinker &linker, LinkSection &section);
bool HasRelocations(BaseLinker &linker, LinkSection &section);

// The symbol a relocation of `section` refers to.
Symbol *RelocationSymbol(LinkSection &section, const Relocation &relocation);

// Makes a section owned by the linker input, with zero-filled contents.
LinkSection *MakeLinkerSection(BaseLinker &linker, std::string name, uint32_t type, uint32_t flags,
                               uint32_t size, uint32_t alignment);

// The archive reader: loads or indexes the members of an "ar" archive.
void LoadArchive(BaseLinker &linker, FileData &archive);
// Loads the archive member that the index names for `name`, if any.
void DemandLoad(BaseLinker &linker, std::string_view name);

} // namespace tanrek
