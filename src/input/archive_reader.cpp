// The archive reader: "ar" archives with the GNU long-name table "//" and
// the symbol lookup table "/". By default every ELF member is loaded at
// once; with --lazy-load-archives members are indexed by the names of the
// lookup table and loaded when a lookup needs one of them. A lookup table
// that does not hold together is not an error: the archive is then loaded
// completely.
#include "input/input_file.h"

#include "driver/diagnostics.h"
#include "driver/format.h"
#include "driver/linker.h"
#include "driver/log.h"

#include <cstring>
#include <map>
#include <utility>

namespace tanrek {

namespace {

constexpr uint32_t kMagicSize = 8;
constexpr uint32_t kHeaderSize = 60;

// A reading cursor: advancing past the end stops at the end.
struct Cursor {
  const uint8_t *at;
  uint32_t remaining;
  void Advance(uint32_t n) {
    n = std::min(n, remaining);
    at += n;
    remaining -= n;
  }
};

// A header field with its trailing blanks removed.
std::string Field(const uint8_t *header, uint32_t offset, uint32_t width) {
  std::string text(reinterpret_cast<const char *>(header + offset), width);
  while (!text.empty() && text.back() == ' ')
    text.pop_back();
  return text;
}

bool ParseDecimal(const std::string &text, uint64_t &value) {
  if (text.empty())
    return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9' || value > 0xFFFFFFFFull)
      return false;
    value = value * 10 + uint32_t(c - '0');
  }
  return true;
}

uint32_t ReadBigEndian32(const uint8_t *p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

struct TableEntry {
  uint32_t offset;
  std::string_view name;
};

// Reads the symbol lookup table of `size` bytes, of which `available` are
// in the archive; false when it is bad.
bool ReadLookupTable(const uint8_t *data, uint64_t size, uint32_t available, uint32_t archiveSize,
                     std::vector<TableEntry> &entries) {
  if (size < 4 || size > available) {
    LogLine("Corrupt or invalid symbol lookup table (ran out of data)");
    return false;
  }
  uint32_t count = ReadBigEndian32(data);
  LogLine("Symbol table has %u entries", count);
  if (uint64_t(count) * 4 > size - 4) {
    LogLine("Corrupt or invalid symbol lookup table (ran out of data)");
    return false;
  }
  entries.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    entries[i].offset = ReadBigEndian32(data + 4 + 4 * i);
    if (entries[i].offset >= archiveSize) {
      LogLine("Corrupt or invalid symbol lookup table (bad offset)");
      return false;
    }
  }
  uint32_t at = 4 + 4 * count;
  for (uint32_t i = 0; i < count; ++i) {
    const void *end = std::memchr(data + at, 0, size - at);
    if (!end) {
      LogLine("Corrupt or invalid symbol lookup table (ran out of data)");
      return false;
    }
    const char *start = reinterpret_cast<const char *>(data + at);
    entries[i].name = std::string_view(start, static_cast<const char *>(end) - start);
    at += uint32_t(entries[i].name.size()) + 1;
  }
  // The table is padded to an even size; only bytes beyond that padding are
  // left-overs worth a line. The table is still used.
  uint32_t excess = size - at;
  if (excess > 1)
    LogLine("Excess data (%u bytes) after symbol lookup table", excess);
  return true;
}

// The name of a member: long names come from the "//" table.
std::string MemberName(const std::string &field, const uint8_t *longNames, uint32_t longNamesSize) {
  std::string name = field;
  uint64_t offset = 0;
  if (field.size() > 1 && field[0] == '/' && ParseDecimal(field.substr(1), offset)) {
    if (!longNames)
      return field;
    if (offset >= longNamesSize)
      return field;
    const char *start = reinterpret_cast<const char *>(longNames + offset);
    const void *newline = std::memchr(start, '\n', longNamesSize - offset);
    size_t length = newline ? static_cast<const char *>(newline) - start : longNamesSize - offset;
    name.assign(start, length);
  }
  if (!name.empty() && name.back() == '/')
    name.pop_back();
  return name;
}

} // namespace

void LoadArchive(BaseLinker &linker, FileData &archive) {
  ++linker.archiveCount;
  LogLine("Loading archive: %s", archive.name.c_str());
  LogIndent();
  Cursor cursor{archive.data(), archive.size};
  cursor.Advance(kMagicSize);
  const uint8_t *longNames = nullptr;
  uint32_t longNamesSize = 0;
  std::vector<TableEntry> table;
  // The table's names by member position, each position's names in table
  // order so that the member listed last for a name wins.
  std::multimap<uint32_t, std::string_view> namesAt;
  bool lazy = linker.TestFlag(Flag::LazyLoadArchives);

  while (cursor.remaining > 0) {
    uint32_t headerPosition = uint32_t(cursor.at - archive.data());
    if (cursor.remaining < kHeaderSize)
      Fatal(linker, "malformed archive %s: member header at offset %u runs past the end of the archive",
            archive.name.c_str(), headerPosition);
    const uint8_t *header = cursor.at;
    cursor.Advance(kHeaderSize);
    std::string field = Field(header, 0, 16);
    uint64_t size = 0;
    if (!ParseDecimal(Field(header, 48, 10), size))
      Fatal(linker, "malformed archive %s: member at offset %u has a bad size field", archive.name.c_str(),
            headerPosition);
    // A member may claim more bytes than the archive holds: a lookup table
    // is then bad, an object is malformed, anything else ends the walk.
    uint8_t *data = const_cast<uint8_t *>(cursor.at);
    uint32_t memberSize = uint32_t(std::min<uint64_t>(size, cursor.remaining));
    bool truncated = size > cursor.remaining;

    if (field == "//") {
      longNames = data;
      longNamesSize = memberSize;
    } else if (field == "/") {
      if (lazy) {
        LogLine("Detected symbol lookup table");
        LogIndent();
        if (ReadLookupTable(data, size, memberSize, archive.size, table)) {
          LogLine("Symbol table OK: ELF modules will be loaded on demand");
        } else {
          LogLine("Ignoring bad symbol table, loading all ELF modules from archive now");
          table.clear();
        }
        for (const TableEntry &entry : table)
          namesAt.emplace(entry.offset, entry.name);
        LogOutdent();
      }
    } else if (IsElf(data, memberSize)) {
      if (truncated)
        Fatal(linker, "malformed archive %s: member at offset %u runs past the end of the archive",
              archive.name.c_str(), headerPosition);
      std::string name = MemberName(field, longNames, longNamesSize);
      ElfImage *image =
          MakeElfImage(linker, data, memberSize, Format("%s (%s)", name.c_str(), archive.name.c_str()));
      image->memberName = name;
      image->archiveName = archive.name;
      if (table.empty()) {
        LoadObject(linker, image, true);
      } else {
        auto [first, last] = namesAt.equal_range(headerPosition);
        for (auto it = first; it != last; ++it) {
          linker.archiveIndex[it->second] = image;
          image->indexedNames.push_back(it->second);
        }
      }
    }
    cursor.Advance(memberSize);
    if (memberSize % 2)
      cursor.Advance(1);
  }
  LogOutdent();
}

void DemandLoad(BaseLinker &linker, std::string_view name) {
  auto found = linker.archiveIndex.find(name);
  if (found == linker.archiveIndex.end())
    return;
  ElfImage *image = found->second;
  LogLine("Demand-load ELF module %s to resolve %s", image->displayName.c_str(), std::string(name).c_str());
  LogIndent();
  // Forget the member first: loading it may look names up again.
  for (std::string_view indexed : image->indexedNames) {
    auto entry = linker.archiveIndex.find(indexed);
    if (entry != linker.archiveIndex.end() && entry->second == image)
      linker.archiveIndex.erase(entry);
  }
  LoadObject(linker, image, true);
  LogOutdent();
}

} // namespace tanrek
