// The output image: the ELF file header, program segments, output sections
// and symbol table, each held as chunks of bytes that are laid out once and
// written once by "Write image".
//
// Chunks point at bytes that live until the process ends (section
// contents, tables owned by the image); adding a chunk never copies. File
// offsets are assigned in one layout pass with no padding between chunks,
// so a segment's file offset need not be congruent to its address: the
// loaders this linker serves (debug probes, QEMU, flash programmers) copy
// each PT_LOAD segment by itself.
//
// Headers are held in host order and swapped to big-endian in place just
// before the write, as the last thing that touches them.
#pragma once

#include <cstdint>
#include <deque>
#include <elf.h>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tanrek {

class BaseLinker;
class LinkSection;
class Locatable;

constexpr uint32_t kShfArmNoread = 0x20000000;
constexpr uint32_t kShfGroup = 0x200;
constexpr uint32_t kShtArmAttributes = 0x70000003;

// A list of byte runs written one after the other, with its total size
// and, after layout, its file offset.
struct ChunkList {
  struct Chunk {
    const uint8_t *data;
    uint32_t size;
    // A placed section's bytes are looked up when the file is written, so
    // that contents that are still rewritten after the segments are built
    // (copy blocks, integrity check values) land in the file.
    const LinkSection *section = nullptr;
    uint32_t skip = 0;
    const uint8_t *Bytes() const;
  };
  std::vector<Chunk> chunks;
  uint32_t size = 0;
  uint32_t offset = 0;

  void Add(const void *data, uint32_t count) {
    if (count == 0)
      return;
    chunks.push_back({static_cast<const uint8_t *>(data), count});
    size += count;
  }
  // The section's contents from byte `skip` on, `count` bytes.
  void AddContents(const LinkSection &section, uint32_t skip, uint32_t count) {
    if (count == 0)
      return;
    chunks.push_back({nullptr, count, &section, skip});
    size += count;
  }
};

// A string table: each distinct name is stored once; offset 0 is the empty
// name.
class StringTable {
public:
  StringTable() : text(1, '\0') {}
  uint32_t Add(std::string_view name);
  const std::string &Text() const { return text; }

private:
  std::string text;
  std::unordered_map<std::string, uint32_t> offsets;
};

struct OutputSegment {
  // The OR of the members' flags; SHF_ARM_NOREAD stays only when every
  // member has it.
  uint32_t flags = 0;
  uint32_t alignment = 1;
  Elf32_Phdr header = {};
  ChunkList contents;
  std::vector<Locatable *> members;
  // The lowest member address, the highest member end, and the address up
  // to which `contents` holds bytes.
  uint32_t start = 0;
  uint32_t end = 0;
  uint32_t fileEnd = 0;
  bool allNoRead = true;
};

struct OutputSection {
  uint32_t index = 0;
  bool added = false;
  std::string name;
  uint32_t nameOffset = 0;
  Elf32_Shdr header = {};
  // The section's own bytes; a section bound to a placed item has none and
  // describes part of its segment instead.
  ChunkList data;
  Locatable *boundItem = nullptr;
  OutputSegment *boundSegment = nullptr;
  // False when the bound item has no bytes in the file (it is initialized
  // at run time).
  bool boundLoaded = false;
};

struct OutputImage {
  OutputSection *strtab = nullptr;
  OutputSection *shstrtab = nullptr;
  OutputSection *nullSection = nullptr;
  OutputSection *symtab = nullptr;
  Elf32_Ehdr header = {};
  ChunkList headerChunks;
  ChunkList phdrChunks;
  ChunkList shdrChunks;
  std::vector<std::unique_ptr<OutputSegment>> segments;
  std::vector<OutputSection *> sections;

  StringTable symbolNames;
  StringTable sectionNames;
  // The output symbols (entry 0 is the null symbol) and, when some section
  // index does not fit in st_shndx, the extended index of each.
  std::vector<Elf32_Sym> symbols;
  std::vector<uint32_t> extendedIndexes;

  // Makes a section that is not yet part of the image.
  OutputSection *CreateSection(std::string name, uint32_t type, uint32_t flags);
  // Gives the section the next index and enters its name, once.
  void AddOutputSection(OutputSection &section);
  // CreateSection and AddOutputSection in one.
  OutputSection *AddNewSection(std::string name, uint32_t type, uint32_t flags);
  OutputSegment *AddSegment();
  // Bytes owned by the image, alive until the process ends.
  const uint8_t *Keep(std::vector<uint8_t> bytes);
  // `count` zero bytes appended to a chunk list, without owning a buffer
  // per run.
  void AddZeros(ChunkList &list, uint32_t count);
  // True once the section count no longer fits in e_shnum.
  bool RolledOver() const { return nullSection && nullSection->header.sh_size != 0; }

private:
  std::deque<OutputSection> sectionStore;
  std::deque<std::vector<uint8_t>> storage;
};

// Removes a failed link's output when it is a regular file; devices such as
// /dev/null are left alone.
void DiscardOutput(const std::string &path);

} // namespace tanrek
