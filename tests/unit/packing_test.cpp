// Packed initialization data: the exact streams of the three encoders, round
// trips through the start-up code's own decoders (compiled for the host),
// the LZSS matcher against a brute-force greedy parser on inputs larger than
// its ring, the size bound of the packed buffer, and the selection's log
// and choice, ties included.
#include "init/packing.h"

#include "../../rt/src/unpack.h"
#include "test_support.h"

#include <algorithm>
#include <map>
#include <random>
#include <string>

namespace tanrek {
namespace {

using testing_support::CaptureLog;
using testing_support::LinkerTest;
using Bytes = std::vector<uint8_t>;

Bytes Encode(uint32_t method, const Bytes &input) {
  Bytes packed;
  uint32_t written = EncodeImage(method, input, packed);
  EXPECT_EQ(written, packed.size());
  return packed;
}

Bytes Decode(uint32_t method, const Bytes &packed, size_t size) {
  // Room past the end shows a decoder writing more than it should.
  Bytes out(size + 256, 0xEE);
  switch (method) {
  case InitLzss: tanrek_unpack_lzss(out.data(), packed.data()); break;
  case InitPackbits: tanrek_unpack_packbits(out.data(), packed.data()); break;
  case InitZpak: tanrek_unpack_zpak(out.data(), packed.data(), uint32_t(size)); break;
  }
  EXPECT_TRUE(std::all_of(out.begin() + long(size), out.end(), [](uint8_t b) { return b == 0xEE; }));
  out.resize(size);
  return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes &part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Counting(uint32_t first, uint32_t count) {
  Bytes bytes;
  for (uint32_t i = 0; i < count; ++i)
    bytes.push_back(uint8_t(first + i));
  return bytes;
}

// ---------------------------------------------------------------------------
// Exact streams

TEST(PackingStreams, EmptyAndZeroImages) {
  EXPECT_EQ(Encode(InitPackbits, {}), Bytes{0x80});
  EXPECT_EQ(Encode(InitLzss, {}), Bytes{0x00});
  EXPECT_EQ(Encode(InitZpak, {}), Bytes{});

  Bytes zeros(16, 0);
  EXPECT_EQ(Encode(InitPackbits, zeros), (Bytes{0xF1, 0x00, 0x80}));
  EXPECT_EQ(Encode(InitLzss, zeros), (Bytes{0x01, 0x00, 0x8F, 0x01, 0x00}));
  EXPECT_EQ(Encode(InitZpak, zeros), (Bytes{0xFF, 0xFF}));
}

TEST(PackingStreams, PackbitsRunsLiteralsAndTheLastTwoBytes) {
  // A run longer than 128 is split; the rest is a run of its own.
  EXPECT_EQ(Encode(InitPackbits, Bytes(200, 0x55)), (Bytes{0x81, 0x55, 0xB9, 0x55, 0x80}));
  // Without three equal bytes the last two are written as runs of one.
  EXPECT_EQ(Encode(InitPackbits, {0x61, 0x62, 0x63}), (Bytes{0x00, 0x61, 0x00, 0x62, 0x00, 0x63, 0x80}));
  EXPECT_EQ(Encode(InitPackbits, {0x61, 0x61}), (Bytes{0xFF, 0x61, 0x80}));
  EXPECT_EQ(Encode(InitPackbits, {0x61, 0x62, 0x62}), (Bytes{0x00, 0x61, 0xFF, 0x62, 0x80}));
  // Literals stop where three equal bytes begin, and come in runs of at
  // most 128.
  Bytes literal = Counting(1, 130);
  EXPECT_EQ(Encode(InitPackbits, Concat({literal, Bytes(3, 9)})),
            Concat({{0x7F}, Counting(1, 128), {0x01, 129, 130, 0xFE, 9, 0x80}}));
  EXPECT_EQ(Encode(InitPackbits, literal), Concat({{0x7F}, Counting(1, 128), {0x00, 129, 0x00, 130, 0x80}}));
  // Two equal bytes inside a literal stretch stay literal.
  EXPECT_EQ(Encode(InitPackbits, {1, 2, 2, 3, 4, 4, 4}), (Bytes{0x03, 1, 2, 2, 3, 0xFE, 4, 0x80}));
}

TEST(PackingStreams, LzssDistancesAndLongRuns) {
  // Four bytes repeated 126 and 127 bytes later: the one- and two-byte
  // distance forms, after a literal run of 126 and of 127 bytes.
  Bytes near = Concat({Counting(1, 126), Counting(1, 4)});
  EXPECT_EQ(Encode(InitLzss, near), Concat({{0x7E}, Counting(1, 126), {0x84, 0x7E, 0x00}}));
  Bytes far = Concat({Counting(1, 127), Counting(1, 4)});
  EXPECT_EQ(Encode(InitLzss, far), Concat({{0x7F}, Counting(1, 127), {0x84, 0x80, 0x7F, 0x00}}));
  // Three equal bytes are not worth a match.
  EXPECT_EQ(Encode(InitLzss, Concat({Counting(1, 10), Counting(1, 3)})), Concat({{0x0D}, Counting(1, 10), Counting(1, 3), {0x00}}));

  // 00..C7 twice: literals in runs of 127 and 73, then the longest match
  // and the rest at distance 200.
  Bytes twice = Concat({Counting(0, 200), Counting(0, 200)});
  EXPECT_EQ(Encode(InitLzss, twice), Concat({{0x7F}, Counting(0, 127), {0x49}, Counting(127, 73),
                                             {0xFF, 0x80, 0xC8, 0xC9, 0x80, 0xC8, 0x00}}));
  // The farthest distance is 32767.
  for (uint32_t gap : {32767u - 8, 32768u - 8}) {
    Bytes input = Concat({Counting(1, 8), Bytes(gap, 0), Counting(1, 8)});
    Bytes packed = Encode(InitLzss, input);
    Bytes tail = {0x88, 0xFF, 0xFF, 0x00};
    bool matched = std::equal(tail.begin(), tail.end(), packed.end() - 4);
    EXPECT_EQ(matched, gap == 32767 - 8) << gap;
  }
}

TEST(PackingStreams, ZpakGroupsAndAPartialLastGroup) {
  EXPECT_EQ(Encode(InitZpak, {0, 5, 0, 0, 7, 0, 0, 0, 9, 0, 3}), (Bytes{0xED, 0x05, 0x07, 0x02, 0x09, 0x03}));
  EXPECT_EQ(Encode(InitZpak, {1, 2, 3, 4, 5, 6, 7, 8, 0}), (Bytes{0x00, 1, 2, 3, 4, 5, 6, 7, 8, 0x01}));
}

// ---------------------------------------------------------------------------
// Round trips and the LZSS matcher

// Inputs of the kinds firmware initializes: zeros, runs, text, tables of
// words, Thumb-like code, random bytes, and repeats across the LZSS ring.
std::map<std::string, Bytes> Corpus() {
  std::mt19937 random(12345);
  auto byte = [&] { return uint8_t(random()); };
  std::map<std::string, Bytes> corpus;
  for (uint32_t size : {0u, 1u, 2u, 3u, 4u, 5u, 7u, 8u, 9u, 127u, 128u, 129u, 255u, 4096u, 65536u})
    corpus["random " + std::to_string(size)] = [&] { Bytes b(size); std::generate(b.begin(), b.end(), byte); return b; }();
  corpus["zeros 70000"] = Bytes(70000, 0);
  // Two byte values only: long runs of equally good matches, and every
  // position near the end a prefix of earlier ones.
  Bytes binary(60000);
  std::generate(binary.begin(), binary.end(), [&] { return uint8_t(random() % 5 == 0); });
  corpus["two values"] = binary;
  Bytes runs;
  while (runs.size() < 50000)
    runs.insert(runs.end(), random() % 300 + 1, random() % 3 == 0 ? 0 : byte());
  corpus["runs"] = runs;
  static const char *const kWords[] = {"the ",   "sensor ", "value ",  "error: ", "timeout", "\n",    "config ",
                                       "%d ",    "ok ",     "uart0 ",  "buffer ", "0x",      "state=", "ready "};
  std::string text;
  while (text.size() < 60000)
    text += kWords[random() % std::size(kWords)];
  corpus["text"] = Bytes(text.begin(), text.end());
  Bytes table;
  for (uint32_t i = 0; table.size() < 40000; ++i) {
    uint32_t word = i % 7 == 0 ? 0x08000000 + random() % 0x4000 : random() % 1000;
    for (int k = 0; k < 4; ++k)
      table.push_back(uint8_t(word >> (8 * k)));
  }
  corpus["word table"] = table;
  static const uint16_t kOps[] = {0xB580, 0xBD80, 0x4770, 0x2000, 0x6018, 0x6818, 0x3001, 0x4B02, 0xE7FE, 0xBF00};
  Bytes code;
  while (code.size() < 30000) {
    uint16_t op = random() % 4 == 0 ? uint16_t(random()) : kOps[random() % std::size(kOps)];
    code.push_back(uint8_t(op));
    code.push_back(uint8_t(op >> 8));
  }
  corpus["thumb code"] = code;
  // A 1000-byte block repeated over 200,000 bytes: matches all along, across
  // every wrap of the ring; and a block that comes back only after more than
  // the ring holds.
  Bytes block(1000);
  std::generate(block.begin(), block.end(), byte);
  Bytes repeated;
  while (repeated.size() < 200000)
    repeated.insert(repeated.end(), block.begin(), block.end());
  corpus["repeated block"] = repeated;
  Bytes wide(70000);
  std::generate(wide.begin(), wide.end(), byte);
  wide.insert(wide.end(), block.begin(), block.end());
  wide.insert(wide.end(), wide.begin() + 100, wide.begin() + 40000);
  wide.insert(wide.end(), block.begin(), block.end());
  corpus["far repeats"] = wide;
  return corpus;
}

// The greedy parse the LZSS encoder must produce: at each position the
// longest earlier match of at least 4 bytes (at most 127, within 32767
// bytes back, the nearest of equally long ones), else a literal. Found by
// trying every earlier position with the same four bytes.
Bytes ReferenceLzss(const Bytes &in) {
  uint32_t size = uint32_t(in.size());
  std::map<uint32_t, std::vector<uint32_t>> byPrefix;
  auto prefix = [&](uint32_t p) { return uint32_t(in[p]) | in[p + 1] << 8 | in[p + 2] << 16 | uint32_t(in[p + 3]) << 24; };
  for (uint32_t p = 0; p + 4 <= size; ++p)
    byPrefix[prefix(p)].push_back(p);
  Bytes out;
  Bytes literals;
  auto flush = [&] {
    for (size_t at = 0; at < literals.size(); at += 127) {
      size_t run = std::min<size_t>(127, literals.size() - at);
      out.push_back(uint8_t(run));
      out.insert(out.end(), literals.begin() + long(at), literals.begin() + long(at + run));
    }
    literals.clear();
  };
  for (uint32_t p = 0; p < size;) {
    uint32_t limit = std::min(127u, size - p), best = 0, distance = 0;
    if (limit >= 4) {
      const std::vector<uint32_t> &earlier = byPrefix[prefix(p)];
      for (auto it = std::lower_bound(earlier.begin(), earlier.end(), p); it != earlier.begin() && best < limit;) {
        uint32_t c = *--it;
        if (p - c > 32767)
          break;
        uint32_t length = 0;
        while (length < limit && in[c + length] == in[p + length])
          ++length;
        if (length > best)
          best = length, distance = p - c;
      }
    }
    if (best < 4) {
      literals.push_back(in[p++]);
      continue;
    }
    flush();
    out.push_back(uint8_t(0x80 + best));
    if (distance > 126)
      out.push_back(uint8_t(0x80 | distance >> 8));
    out.push_back(uint8_t(distance));
    p += best;
  }
  flush();
  out.push_back(0);
  return out;
}

TEST(PackingRoundTrip, EveryEncoderDecodesToItsInput) {
  for (const auto &[name, input] : Corpus()) {
    for (uint32_t method : {InitLzss, InitPackbits, InitZpak}) {
      Bytes packed = Encode(method, input);
      EXPECT_EQ(Decode(method, packed, input.size()), input) << name << " with " << InitMethodName(method);
      EXPECT_LE(packed.size(), PackedCapacity(uint32_t(input.size()))) << name << " with " << InitMethodName(method);
    }
  }
}

TEST(PackingRoundTrip, LzssMatchesTheGreedyParse) {
  for (const auto &[name, input] : Corpus())
    EXPECT_EQ(Encode(InitLzss, input), ReferenceLzss(input)) << name;
}

// Inputs that each format packs worst still fit in twice their size once
// they have four bytes; shorter ones need the one extra byte.
TEST(PackingRoundTrip, WorstCasesFitTheBuffer) {
  std::mt19937 random(7);
  Bytes alternating, singlesBeforeRuns, noZeros;
  for (uint32_t i = 0; i < 3000; ++i) {
    alternating.push_back(uint8_t(i & 1 ? 0xAA : 0x55));
    noZeros.push_back(uint8_t(random() % 255 + 1));
  }
  for (uint32_t i = 0; i < 750; ++i)
    singlesBeforeRuns.insert(singlesBeforeRuns.end(), {uint8_t(i), uint8_t(~i), uint8_t(~i), uint8_t(~i)});
  for (const Bytes &input : {alternating, singlesBeforeRuns, noZeros}) {
    for (uint32_t size : {4u, 5u, 6u, 7u, 127u, 128u, 129u, 1000u, 3000u}) {
      Bytes part(input.begin(), input.begin() + size);
      for (uint32_t method : {InitLzss, InitPackbits, InitZpak})
        EXPECT_LE(Encode(method, part).size(), 2 * size) << InitMethodName(method) << " " << size;
    }
  }
  for (uint32_t size = 1; size < 4; ++size)
    EXPECT_EQ(Encode(InitPackbits, Counting(1, size)).size(), 2 * size + 1);
}

// ---------------------------------------------------------------------------
// Selection

// A linker whose start-up routines have chosen code sizes.
class SizedLinker final : public BaseLinker {
public:
  bool SupportsFeature(unsigned) const override { return false; }
  uint32_t GetPara(unsigned) const override { return 0; }
  bool ParseTargetOption(AsmOptions &) override { return false; }
  uint32_t InitRoutineCodeSize(uint32_t method) const override { return codeSize[method]; }
  uint32_t codeSize[5] = {26, 74, 52, 40, 22};
};

class PackingSelection : public LinkerTest {
protected:
  LinkSection &Section(uint32_t address, Bytes contents) {
    sections.push_back(std::make_unique<LinkSection>(".data", kShtProgbits, kShfAlloc | kShfWrite,
                                                     uint32_t(contents.size()), 4));
    LinkSection &section = *sections.back();
    section.SetReplacementContents(std::move(contents));
    section.Map(address);
    section.SetInitMethod(InitAuto);
    return section;
  }
  PackingCandidate Candidate(std::vector<Locatable *> members) {
    PackingCandidate candidate;
    candidate.sections = members;
    candidate.start = members.front()->Address();
    candidate.size = members.back()->Address() + members.back()->Size() - candidate.start;
    return candidate;
  }
  // The log of selecting among `candidates`, nested as in "Make inittab".
  std::string Select(BaseLinker &chooser, std::vector<PackingCandidate> &candidates) {
    return CaptureLog([&] {
      LogIndent();
      SelectPacking(chooser, candidates);
    });
  }
  std::vector<std::unique_ptr<LinkSection>> sections;
};

TEST_F(PackingSelection, LogOfAnEmptyAndAZeroFilledRun) {
  std::vector<PackingCandidate> candidates = {Candidate({&Section(0x20000000, {})}),
                                              Candidate({&Section(0x20000100, Bytes(16, 0))})};
  EXPECT_EQ(Select(linker, candidates),
            "  Selecting best packing for [0x20000000 size 0], size=0\n"
            "  Algorithms:\n"
            "      Copy with packing=none:     image size=0 + algorithm code=26 for 26 total bytes\n"
            "      Copy with packing=packbits: image size=1 + algorithm code=52 for 53 total bytes, 27 worse than plain copy\n"
            "      Copy with packing=lzss:     image size=1 + algorithm code=74 for 75 total bytes, 49 worse than plain copy\n"
            "      Copy with packing=zpak:     image size=0 + algorithm code=40 for 40 total bytes, 14 worse than plain copy\n"
            "  Selected packing=copy\n"
            "  Selecting best packing for [0x20000100 to 0x2000010f], size=16\n"
            "  Algorithms:\n"
            "      Copy with packing=none:     image size=16 + algorithm code=26 for 42 total bytes\n"
            "      Copy with packing=packbits: image size=3 + algorithm code=52 for 55 total bytes, 13 worse than plain copy\n"
            "      Copy with packing=lzss:     image size=5 + algorithm code=74 for 79 total bytes, 37 worse than plain copy\n"
            "      Copy with packing=zpak:     image size=2 + algorithm code=40 for 42 total bytes, 0 worse than plain copy\n"
            "  Selected packing=copy\n");
  EXPECT_EQ(candidates[1].method, InitCopy);
  EXPECT_EQ(sections[1]->initMethod, InitCopy);
}

TEST_F(PackingSelection, ImageOfSeveralSectionsAndTheChoiceOnEachOfThem) {
  LinkSection &first = Section(0x1000, Bytes(300, 0x11));
  LinkSection &second = Section(0x1000 + 308, Bytes(300, 0x22));
  std::vector<PackingCandidate> candidates = {Candidate({&first, &second})};
  std::string log = Select(linker, candidates);
  EXPECT_NE(log.find("Selecting best packing for [0x00001000 to 0x0000125f], size=608\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Copy with packing=packbits: image size=15 + algorithm code=52 for 67 total bytes, 567 better "
                     "than plain copy\n"),
            std::string::npos)
      << log;
  Bytes expected = Concat({Bytes(300, 0x11), Bytes(8, 0), Bytes(300, 0x22)});
  EXPECT_EQ(candidates[0].image, expected);
  EXPECT_EQ(candidates[0].method, InitPackbits);
  EXPECT_EQ(first.initMethod, InitPackbits);
  EXPECT_EQ(second.initMethod, InitPackbits);
}

TEST_F(PackingSelection, DisabledMethodsAreNotTried) {
  for (Flag flag : {Flag::EnableLzss, Flag::EnablePackbits, Flag::EnableZpak})
    linker.ClearFlag(flag);
  std::vector<PackingCandidate> candidates = {Candidate({&Section(0x1000, Bytes(4000, 0))})};
  EXPECT_EQ(Select(linker, candidates),
            "  Selecting best packing for [0x00001000 to 0x00001f9f], size=4000\n"
            "  Algorithms:\n"
            "      Copy with packing=none:     image size=4000 + algorithm code=26 for 4026 total bytes\n"
            "  Selected packing=copy\n");
  EXPECT_EQ(candidates[0].method, InitCopy);

  linker.SetFlag(Flag::EnableZpak);
  std::string log = Select(linker, candidates);
  EXPECT_EQ(log.find("packbits"), std::string::npos);
  EXPECT_NE(log.find("Selected packing=zpak\n"), std::string::npos) << log;
}

// With code sizes that make two totals equal, the method tried first (copy,
// then packbits, lzss, zpak) stays; one byte less and the later one wins.
TEST_F(PackingSelection, EqualTotalsKeepTheEarlierMethod) {
  Bytes image = Concat({Bytes(200, 0x55), Counting(1, 40), Bytes(64, 0)});
  uint32_t size = uint32_t(image.size());
  uint32_t packed[4] = {size, uint32_t(Encode(InitLzss, image).size()), uint32_t(Encode(InitPackbits, image).size()),
                        uint32_t(Encode(InitZpak, image).size())};
  struct Case {
    uint32_t earlier, later;
  };
  for (Case c : {Case{InitCopy, InitPackbits}, Case{InitPackbits, InitLzss}, Case{InitLzss, InitZpak},
                 Case{InitCopy, InitZpak}}) {
    for (uint32_t less : {0u, 1u}) {
      SizedLinker sized;
      sized.SetDefaultFlags();
      std::fill(std::begin(sized.codeSize), std::end(sized.codeSize), 100000);
      sized.codeSize[c.earlier] = 1000;
      sized.codeSize[c.later] = 1000 + packed[c.earlier] - packed[c.later] - less;
      std::vector<PackingCandidate> candidates = {Candidate({&Section(0x1000 * (sections.size() + 1), image)})};
      Select(sized, candidates);
      EXPECT_EQ(candidates[0].method, less ? c.later : c.earlier)
          << InitMethodName(c.earlier) << " against " << InitMethodName(c.later) << " less " << less;
    }
  }
}

} // namespace
} // namespace tanrek
