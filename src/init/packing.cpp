// Packed initialization data: the LZSS, PackBits and ZPAK encoders and the
// selection of the packing with the smallest flash footprint.
//
// The streams are read by the start-up routines, and the linker's output
// must be the same bytes on every host, so each encoder follows its
// matcher's rules exactly rather than looking for the best compression.
// The LZSS matcher in particular keeps its positions as indexes into a ring
// of 65535 bytes: a chain entry may name a ring slot that newer input has
// overwritten, and the walk then goes on through whatever the slot holds now.
// That behaviour decides some matches on large inputs, so the chains are kept
// by ring index exactly as a ring-buffer matcher keeps them, while the bytes
// are compared in the image itself (every slot the walk can read still holds
// the image byte at the same distance back).
#include "init/packing.h"

#include "driver/diagnostics.h"
#include "driver/linker.h"
#include "driver/log.h"
#include "placement/locatable.h"
#include "script/range_list.h"

#include <algorithm>
#include <bit>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace tanrek {

std::vector<uint8_t> BuildImage(const std::vector<Locatable *> &sections, uint32_t start, uint32_t size) {
  std::vector<uint8_t> image(size);
  for (Locatable *section : sections)
    section->WriteContents(image.data() + (section->Address() - start));
  return image;
}

// ---------------------------------------------------------------------------
// LZSS

namespace {

constexpr uint32_t kRingSize = 65535;
constexpr uint32_t kMinMatch = 4;
constexpr uint32_t kMaxMatch = 127;
constexpr uint32_t kMaxLiteralRun = 127;
constexpr uint32_t kMaxDistance = 32767;
constexpr uint32_t kMaxShortDistance = 126;
constexpr uint32_t kMaxCandidates = 65533;
constexpr uint32_t kKeyCount = uint32_t(1) << 24;

[[noreturn]] __attribute__((format(printf, 1, 2))) void FatalMessage(const char *format, ...) {
  va_list args;
  va_start(args, format);
  VFatalWithPrefix("error: ", format, args);
}

// The matcher's tables. The head table has an entry for every key, 64 MiB,
// so it is made once per process from calloc: its pages come zeroed from
// the system when first touched, and an encoder run touches only the
// pages of the keys it meets. Instead of being cleared after each run, an
// entry carries the number of the run that wrote it in its high half
// (ring index + 1 in the low half): an entry of another run reads as
// "none". When the run numbers wrap, the table is made afresh. The link
// table needs no clearing: a run reads only the links of ring slots it
// entered itself.
class LzssTables {
public:
  // Starts a run: entries of earlier runs become "none".
  void Begin() {
    if (!head || ++run == 0x10000) {
      std::free(head);
      head = ZeroedTable(kKeyCount, "hash table");
      run = 1;
    }
    if (!link)
      link = ZeroedTable(kRingSize, "link table");
  }
  // The ring slot + 1 of the latest entry of `key`, 0 for none.
  uint32_t Head(uint32_t key) const { return head[key] >> 16 == run ? head[key] & 0xFFFF : 0; }
  // Enters ring slot `slot` as the latest position of `key`.
  void Enter(uint32_t key, uint32_t slot) {
    link[slot] = Head(key);
    head[key] = run << 16 | (slot + 1);
  }
  uint32_t Link(uint32_t slot) const { return link[slot]; }

private:
  static uint32_t *ZeroedTable(uint32_t entries, const char *what) {
    void *memory = std::calloc(entries, sizeof(uint32_t));
    if (!memory)
      FatalMessage("out of memory: cannot allocate %zu bytes for the LZSS %s", size_t(entries) * sizeof(uint32_t),
                   what);
    return static_cast<uint32_t *>(memory);
  }

  uint32_t *head = nullptr;
  uint32_t *link = nullptr;
  uint32_t run = 0;
};

LzssTables theTables;

struct Match {
  uint32_t length = 0;
  uint32_t distance = 0;
};

// Equal leading bytes of `a` and `b`, at most `limit`.
inline uint32_t CountEqual(const uint8_t *a, const uint8_t *b, uint32_t limit) {
  uint32_t count = 0;
  while (count + 8 <= limit) {
    uint64_t x, y;
    std::memcpy(&x, a + count, 8);
    std::memcpy(&y, b + count, 8);
    if (uint64_t diff = x ^ y) {
      if constexpr (std::endian::native == std::endian::little)
        return count + uint32_t(std::countr_zero(diff)) / 8;
      else
        return count + uint32_t(std::countl_zero(diff)) / 8;
    }
    count += 8;
  }
  while (count < limit && a[count] == b[count])
    ++count;
  return count;
}

class LzssEncoder {
public:
  LzssEncoder(std::span<const uint8_t> image, uint8_t *out)
      : in(image.data()), size(uint32_t(image.size())), out(out), tables(theTables) {
    tables.Begin();
  }

  uint32_t Run() {
    uint32_t ring = 0; // the ring index of position p
    uint32_t covered = 0;
    uint32_t literalStart = 0;
    for (uint32_t p = 0; p < size;) {
      uint32_t limit = std::min(kMaxMatch, size - p);
      Match match = limit >= kMinMatch ? LongestMatch(p, ring, limit) : Match{};
      uint32_t advance = 1;
      if (match.length >= kMinMatch) {
        covered += WriteLiterals(literalStart, p);
        WriteMatch(match);
        covered += match.length;
        advance = match.length;
        literalStart = p + advance;
      }
      for (uint32_t k = 0; k < advance; ++k, ++p) {
        Insert(p, ring);
        ring = ring + 1 == kRingSize ? 0 : ring + 1;
      }
    }
    covered += WriteLiterals(literalStart, size);
    out[written++] = 0;
    if (covered != size)
      InternalError("compression self-check failed");
    return written;
  }

private:
  // The key of a position: its next three bytes. Positions with fewer left
  // are never searched from, so they are not entered.
  uint32_t Key(uint32_t p) const { return uint32_t(in[p]) << 16 ^ uint32_t(in[p + 1]) << 8 ^ in[p + 2]; }

  void Insert(uint32_t p, uint32_t ring) {
    if (size - p < 3)
      return;
    tables.Enter(Key(p), ring);
  }

  // Walks the chain of p's key from the most recent position back. Chain
  // entries hold ring index + 1, 0 ending the chain.
  Match LongestMatch(uint32_t p, uint32_t ring, uint32_t limit) const {
    const uint8_t *here = in + p;
    Match best;
    uint32_t entry = tables.Head(Key(p));
    for (uint32_t walked = 0; entry != 0 && walked < kMaxCandidates; ++walked) {
      uint32_t slot = entry - 1;
      uint32_t distance = ring >= slot ? ring - slot : ring + kRingSize - slot;
      if (distance == 0 || distance > kMaxDistance)
        break;
      const uint8_t *there = here - distance;
      if (there[0] != here[0] || there[1] != here[1])
        break;
      entry = tables.Link(slot);
      if (best.length != 0 && there[best.length - 1] != here[best.length - 1])
        continue;
      uint32_t length = CountEqual(there, here, limit);
      if (length >= kMaxMatch)
        return Match{length, distance};
      if (length > best.length || (length == best.length && distance < best.distance))
        best = Match{length, distance};
    }
    return best;
  }

  // Writes the literals [from, to) as runs of at most 127 bytes; returns
  // their count.
  uint32_t WriteLiterals(uint32_t from, uint32_t to) {
    for (uint32_t at = from; at < to;) {
      uint32_t run = std::min(kMaxLiteralRun, to - at);
      out[written++] = uint8_t(run);
      std::memcpy(out + written, in + at, run);
      written += run;
      at += run;
    }
    return to - from;
  }

  void WriteMatch(const Match &match) {
    if (match.length == 0)
      InternalError("zero copy length");
    out[written++] = uint8_t(0x80 + match.length);
    if (match.distance <= kMaxShortDistance) {
      out[written++] = uint8_t(match.distance);
    } else {
      out[written++] = uint8_t(0x80 | match.distance >> 8);
      out[written++] = uint8_t(match.distance);
    }
  }

  const uint8_t *in;
  uint32_t size;
  uint8_t *out;
  uint32_t written = 0;
  LzssTables &tables;
};

} // namespace

uint32_t EncodeLzss(std::span<const uint8_t> image, uint8_t *out) { return LzssEncoder(image, out).Run(); }

// ---------------------------------------------------------------------------
// PackBits

namespace {

constexpr uint32_t kMaxPackbitsRun = 128;

// The first position from `from` where three equal bytes begin, looking
// only before the last two bytes; the position of the last two bytes when
// there is none.
uint32_t NextTriple(const uint8_t *in, uint32_t from, uint32_t size) {
  for (uint32_t q = from; q + 2 < size; ++q)
    if (in[q] == in[q + 1] && in[q] == in[q + 2])
      return q;
  return size - 2;
}

} // namespace

uint32_t EncodePackbits(std::span<const uint8_t> image, uint8_t *out) {
  const uint8_t *in = image.data();
  uint32_t size = uint32_t(image.size());
  uint32_t written = 0;
  for (uint32_t at = 0; at < size;) {
    uint32_t runStart = size - at >= 3 ? NextTriple(in, at, size) : at;
    while (at < runStart) {
      uint32_t count = std::min(kMaxPackbitsRun, runStart - at);
      out[written++] = uint8_t(count - 1);
      std::memcpy(out + written, in + at, count);
      written += count;
      at += count;
    }
    uint32_t limit = std::min(kMaxPackbitsRun, size - at);
    uint32_t count = 1;
    while (count < limit && in[at + count] == in[at])
      ++count;
    out[written++] = uint8_t(1 - count);
    out[written++] = in[at];
    at += count;
  }
  out[written++] = 0x80;
  return written;
}

// ---------------------------------------------------------------------------
// ZPAK

uint32_t EncodeZpak(std::span<const uint8_t> image, uint8_t *out) {
  uint32_t written = 0;
  for (size_t group = 0; group < image.size(); group += 8) {
    uint8_t &flags = out[written++];
    flags = 0;
    size_t end = std::min(image.size(), group + 8);
    for (size_t i = group; i < end; ++i) {
      if (image[i] == 0)
        flags |= uint8_t(1 << (i - group));
      else
        out[written++] = image[i];
    }
  }
  return written;
}

// ---------------------------------------------------------------------------
// Encoding and selection

uint32_t EncodeImage(uint32_t method, std::span<const uint8_t> image, std::vector<uint8_t> &packed) {
  packed.assign(PackedCapacity(uint32_t(image.size())), 0);
  uint32_t written = 0;
  switch (method) {
  case InitCopy:
    std::copy(image.begin(), image.end(), packed.begin());
    written = uint32_t(image.size());
    break;
  case InitLzss: written = EncodeLzss(image, packed.data()); break;
  case InitPackbits: written = EncodePackbits(image, packed.data()); break;
  case InitZpak: written = EncodeZpak(image, packed.data()); break;
  default: InternalError("no encoder for initialization method %u", method);
  }
  packed.resize(written);
  return written;
}

namespace {

struct MethodRule {
  uint32_t method;
  Flag enable;
};

// The packed methods in the order they are tried; on equal totals the
// earlier one (and plain copy before all of them) is kept.
constexpr MethodRule kPackedMethods[] = {
    {InitPackbits, Flag::EnablePackbits},
    {InitLzss, Flag::EnableLzss},
    {InitZpak, Flag::EnableZpak},
};

void ChooseMethod(BaseLinker &linker, PackingCandidate &candidate) {
  LogLine("Selecting best packing for %s, size=%u", LongText(AddressRange{candidate.start, candidate.size}).c_str(),
          candidate.size);
  LogLine("Algorithms:");
  LogIndent();
  if (!candidate.imageBuilt) {
    candidate.image = BuildImage(candidate.sections, candidate.start, candidate.size);
    candidate.imageBuilt = true;
  }
  uint32_t copyCode = linker.InitRoutineCodeSize(InitCopy);
  uint32_t copyTotal = candidate.size + copyCode;
  uint32_t best = copyTotal;
  uint32_t method = InitCopy;
  LogLine("Copy with packing=none:     image size=%u + algorithm code=%u for %u total bytes", candidate.size, copyCode,
          copyTotal);
  for (const MethodRule &rule : kPackedMethods) {
    if (!linker.TestFlag(rule.enable))
      continue;
    candidate.packedSize = EncodeImage(rule.method, candidate.image, candidate.packed);
    uint32_t code = linker.InitRoutineCodeSize(rule.method);
    uint32_t total = candidate.packedSize + code;
    if (LogOpen()) {
      std::string name = std::string(InitMethodName(rule.method)) + ":";
      bool better = total < copyTotal;
      LogLine("Copy with packing=%-9s image size=%u + algorithm code=%u for %u total bytes, %u %s than plain copy",
              name.c_str(), candidate.packedSize, code, total, better ? copyTotal - total : total - copyTotal,
              better ? "better" : "worse");
    }
    if (total < best) {
      best = total;
      method = rule.method;
    }
  }
  LogOutdent();
  LogLine("Selected packing=%s", InitMethodName(method));
  candidate.method = method;
  for (Locatable *section : candidate.sections)
    section->SetInitMethod(method);
}

} // namespace

void SelectPacking(BaseLinker &linker, std::vector<PackingCandidate> &candidates) {
  for (PackingCandidate &candidate : candidates)
    ChooseMethod(linker, candidate);
}

} // namespace tanrek
