// Packed initialization data: the LZSS, PackBits and ZPAK encoders and the
// selection of the packing with the smallest flash footprint.
//
// The streams are read by the start-up routines, and the linker's output
// must be the same bytes on every host and every release, so each encoder
// follows fixed rules rather than looking for the best compression. What is
// subtle is in the LZSS matcher (see below).
#include "init/packing.h"

#include "driver/diagnostics.h"
#include "driver/linker.h"
#include "driver/log.h"
#include "placement/locatable.h"
#include "script/range_list.h"

#include <algorithm>
#include <bit>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace tanrek {

std::vector<uint8_t> BuildImage(const std::vector<Locatable *> &sections, uint32_t start, uint32_t size) {
  std::vector<uint8_t> image(size);
  // An empty section writes nothing, and an empty image has no buffer.
  for (Locatable *section : sections)
    if (section->Size() != 0)
      section->WriteContents(image.data() + (section->Address() - start));
  return image;
}

// ---------------------------------------------------------------------------
// LZSS
//
// The stream is a greedy parse: at each position, the longest earlier match
// of at least 4 bytes (at most 127, at most what is left, at most 32767
// bytes back; the nearest of equally long ones), else a literal. That is
// what a hash-chain matcher over a ring of 65535 bytes with 3-byte keys
// finds when it walks each chain from the newest entry and stops at the
// window's edge: a chain entry whose ring slot newer input has overwritten
// leads only to positions that share fewer than three bytes with the
// current one, or that the walk has already seen.
//
// Walking chains costs a step for every earlier position with the same
// three bytes, which on tables of words or zero-heavy data is thousands of
// steps per byte. So each key has a binary tree instead of a chain: the
// positions with that key, ordered by their next 127 bytes (a position
// nearer the end of the input than 127 bytes sorts before the longer ones
// it begins), with the newest position at the root and every node newer
// than the nodes below it. Each new position is put at the root by splitting
// the tree along its search path, and that path holds, for every length,
// the newest position matching at least that many bytes; so the first node
// on the path with the greatest length is the match. Two positions equal
// in 127 bytes can never differ as matches, so the newer replaces the older.
// Nodes beyond the window are cut off when the path reaches them.

namespace {

constexpr uint32_t kMinMatch = 4;
constexpr uint32_t kMaxMatch = 127;
constexpr uint32_t kMaxLiteralRun = 127;
constexpr uint32_t kMaxDistance = 32767;
constexpr uint32_t kMaxShortDistance = 126;
constexpr uint32_t kKeyCount = uint32_t(1) << 24;
// Tree nodes are kept by position modulo this; a power of two above the
// window, so a slot is reused only when its position is out of reach.
constexpr uint32_t kWindowSlots = 32768;

[[noreturn]] __attribute__((format(printf, 1, 2))) void FatalMessage(const char *format, ...) {
  va_list args;
  va_start(args, format);
  VFatalWithPrefix("error: ", format, args);
}

// The matcher's tables, made once per process. The head table has the root
// of every key's tree, 64 MiB, taken from calloc: its pages come zeroed from
// the system when first touched, and a run touches only the pages of the
// keys it meets. Positions are numbered across runs, each run's numbers
// starting more than a window beyond the last run's, so the entries an
// earlier run left behind are out of reach and read as empty: no table is
// cleared between runs. The numbers start again, with a fresh head table,
// when they would overflow. Number 0 is "none".
class LzssTables {
public:
  // Starts a run over `size` bytes; returns the number of its first byte.
  uint32_t Begin(uint32_t size) {
    if (!head || uint64_t(next) + kWindowSlots + size >= UINT32_MAX) {
      std::free(head);
      head = Zeroed(kKeyCount, "hash table");
      next = 0;
    }
    if (!smaller) {
      smaller = Zeroed(kWindowSlots, "tree");
      larger = Zeroed(kWindowSlots, "tree");
    }
    uint32_t first = next + kWindowSlots;
    next = first + size;
    return first;
  }

  uint32_t *head = nullptr;
  // The subtrees of the node numbered n, at n % kWindowSlots.
  uint32_t *smaller = nullptr;
  uint32_t *larger = nullptr;

private:
  static uint32_t *Zeroed(uint32_t entries, const char *what) {
    void *memory = std::calloc(entries, sizeof(uint32_t));
    if (!memory)
      FatalMessage("out of memory: cannot allocate %zu bytes for the LZSS %s", size_t(entries) * sizeof(uint32_t),
                   what);
    return static_cast<uint32_t *>(memory);
  }

  uint32_t next = 0;
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
      : in(image.data()), size(uint32_t(image.size())), out(out), tables(theTables),
        firstNumber(tables.Begin(size)) {}

  uint32_t Run() {
    uint32_t covered = 0;
    uint32_t literalStart = 0;
    for (uint32_t p = 0; p < size;) {
      Match match = Enter(p);
      uint32_t advance = 1;
      if (match.length >= kMinMatch) {
        covered += WriteLiterals(literalStart, p);
        WriteMatch(match);
        covered += match.length;
        advance = match.length;
        literalStart = p + advance;
      }
      for (uint32_t k = 1; k < advance; ++k)
        Enter(p + k);
      p += advance;
    }
    covered += WriteLiterals(literalStart, size);
    out[written++] = 0;
    if (covered != size)
      InternalError("compression self-check failed");
    return written;
  }

private:
  // The key of a position: its next three bytes.
  uint32_t Key(uint32_t p) const { return uint32_t(in[p]) << 16 ^ uint32_t(in[p + 1]) << 8 ^ in[p + 2]; }

  // Puts position p at the root of its key's tree and returns the longest
  // match the old tree held for it. Positions with fewer than three bytes
  // left have no key; they can neither match nor be matched.
  Match Enter(uint32_t p) {
    if (size - p < 3)
      return {};
    uint32_t number = firstNumber + p;
    uint32_t &root = tables.head[Key(p)];
    uint32_t node = root;
    root = number;
    // Where the next node found below p, and the next found above it, hang.
    uint32_t *belowHook = &tables.smaller[number % kWindowSlots];
    uint32_t *aboveHook = &tables.larger[number % kWindowSlots];
    // Bytes p shares with the last node hung below and above: every node
    // between them shares at least the smaller count. All share the key.
    uint32_t belowLength = 3, aboveLength = 3;
    uint32_t limit = std::min(kMaxMatch, size - p);
    const uint8_t *here = in + p;
    Match best;
    while (node != 0 && number - node <= kMaxDistance) {
      uint32_t distance = number - node;
      const uint8_t *there = here - distance;
      uint32_t length = std::min(belowLength, aboveLength);
      length += CountEqual(there + length, here + length, limit - length);
      if (length > best.length)
        best = Match{length, distance};
      uint32_t slot = node % kWindowSlots;
      if (length == kMaxMatch) {
        *belowHook = tables.smaller[slot];
        *aboveHook = tables.larger[slot];
        return best;
      }
      if (length < limit && there[length] < here[length]) {
        *belowHook = node;
        belowHook = &tables.larger[slot];
        belowLength = length;
        node = *belowHook;
      } else {
        // Larger at the first differing byte, or p ends within the node's
        // bytes.
        *aboveHook = node;
        aboveHook = &tables.smaller[slot];
        aboveLength = length;
        node = *aboveHook;
      }
    }
    *belowHook = 0;
    *aboveHook = 0;
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
  uint32_t firstNumber;
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
