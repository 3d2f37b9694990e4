// Throughput and compression ratio of the three encoders of initialization
// data, over synthetic firmware data of four kinds (tables of initialized
// words and pointers, message text, mostly-zero buffers, random bytes) and
// a mix of them. Each kind is encoded as a sequence of images of one size
// (the size of one run of initialized data), the best of three passes is
// reported, and every packed image is checked against the start-up code's
// decoder so that a fast but wrong encoder cannot go unnoticed. Times are
// processor time of the process, which other work on the machine disturbs
// less than wall time.
//
//   tanrek-bench-packing [MiB per kind, default 4] [image KiB, default 256]
#include "init/packing.h"
#include "placement/locatable.h"

#include "../rt/src/unpack.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <vector>

using namespace tanrek;
using Bytes = std::vector<uint8_t>;

namespace {

void PutWord(Bytes &out, uint32_t word) {
  for (int k = 0; k < 4; ++k)
    out.push_back(uint8_t(word >> (8 * k)));
}

// Structures of a few words: pointers into flash and RAM, small counts,
// flags, and now and then a zeroed field.
Bytes Tables(size_t size, std::mt19937 &random) {
  Bytes out;
  while (out.size() < size) {
    uint32_t fields = 2 + random() % 6;
    for (uint32_t f = 0; f < fields; ++f) {
      switch (random() % 5) {
      case 0: PutWord(out, 0x08000000 + (random() % 0x40000 & ~3u)); break;
      case 1: PutWord(out, 0x20000000 + (random() % 0x8000 & ~3u)); break;
      case 2: PutWord(out, random() % 256); break;
      case 3: PutWord(out, 0); break;
      default: PutWord(out, random() % 65536); break;
      }
    }
  }
  out.resize(size);
  return out;
}

Bytes Text(size_t size, std::mt19937 &random) {
  static const char *const kWords[] = {"error", "timeout", "sensor", "value", "out of range", "the", "uart",
                                       "buffer", "overflow", "%d", "%s", "0x%08x", "ready", "state", "init",
                                       "failed", "config", "channel", "retry", "ok"};
  Bytes out;
  while (out.size() < size) {
    uint32_t words = 2 + random() % 8;
    for (uint32_t w = 0; w < words; ++w) {
      std::string word = kWords[random() % std::size(kWords)];
      out.insert(out.end(), word.begin(), word.end());
      out.push_back(w + 1 < words ? ' ' : '\n');
    }
    out.push_back(0);
  }
  out.resize(size);
  return out;
}

// Buffers and state that start zeroed but were given initializers: long
// zero stretches with a few set words.
Bytes MostlyZero(size_t size, std::mt19937 &random) {
  Bytes out(size, 0);
  for (size_t at = 0; at + 4 <= size; at += 4)
    if (random() % 16 == 0)
      for (int k = 0; k < 4; ++k)
        out[at + k] = uint8_t(random() % 4 == 0 ? random() : 0);
  return out;
}

Bytes Random(size_t size, std::mt19937 &random) {
  Bytes out(size);
  std::generate(out.begin(), out.end(), [&] { return uint8_t(random()); });
  return out;
}

// One image in four of each kind, in turn.
Bytes Mixed(size_t size, size_t imageSize, std::mt19937 &random) {
  Bytes out;
  for (uint32_t i = 0; out.size() < size; ++i) {
    Bytes part = i % 4 == 0 ? Tables(imageSize, random)
                 : i % 4 == 1 ? Text(imageSize, random)
                 : i % 4 == 2 ? MostlyZero(imageSize, random)
                              : Random(imageSize, random);
    out.insert(out.end(), part.begin(), part.end());
  }
  out.resize(size);
  return out;
}

void Check(uint32_t method, const Bytes &packed, std::span<const uint8_t> input, Bytes &decoded) {
  if (method == InitLzss)
    tanrek_unpack_lzss(decoded.data(), packed.data());
  else if (method == InitPackbits)
    tanrek_unpack_packbits(decoded.data(), packed.data());
  else
    tanrek_unpack_zpak(decoded.data(), packed.data(), uint32_t(input.size()));
  if (!std::equal(input.begin(), input.end(), decoded.begin())) {
    std::fprintf(stderr, "%s: an image does not decode to its input\n", InitMethodName(method));
    std::exit(1);
  }
}

struct Result {
  double seconds = 1e30;
  size_t packed = 0;
};

// The first pass checks every image against the decoder; the next three
// are timed.
Result Measure(uint32_t method, const Bytes &data, size_t imageSize) {
  Result result;
  Bytes packed, decoded(imageSize);
  for (int pass = 0; pass < 4; ++pass) {
    size_t total = 0;
    std::clock_t start = std::clock();
    for (size_t at = 0; at < data.size(); at += imageSize) {
      size_t size = std::min(imageSize, data.size() - at);
      total += EncodeImage(method, std::span(data.data() + at, size), packed);
      if (pass == 0)
        Check(method, packed, std::span(data.data() + at, size), decoded);
    }
    double seconds = double(std::clock() - start) / CLOCKS_PER_SEC;
    if (pass > 0)
      result.seconds = std::min(result.seconds, seconds);
    result.packed = total;
  }
  return result;
}

} // namespace

int main(int argc, char **argv) {
  size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 4;
  size_t imageSize = (argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 256) * 1024;
  size_t size = mib << 20;
  std::mt19937 random(2026);
  struct Kind {
    const char *name;
    Bytes data;
  };
  std::vector<Kind> kinds;
  kinds.push_back({"tables", Tables(size, random)});
  kinds.push_back({"text", Text(size, random)});
  kinds.push_back({"mostly zero", MostlyZero(size, random)});
  kinds.push_back({"random", Random(size, random)});
  kinds.push_back({"mixed", Mixed(size, imageSize, random)});

  std::printf("%zu MiB per kind in images of %zu KiB; best of 3 timed passes, processor time\n\n", mib, imageSize / 1024);
  std::printf("| data | packbits MB/s | packbits ratio | lzss MB/s | lzss ratio | zpak MB/s | zpak ratio |\n");
  std::printf("|---|---|---|---|---|---|---|\n");
  for (const Kind &kind : kinds) {
    std::printf("| %s", kind.name);
    for (uint32_t method : {InitPackbits, InitLzss, InitZpak}) {
      Result result = Measure(method, kind.data, imageSize);
      std::printf(" | %.0f | %.3f", double(kind.data.size()) / 1e6 / result.seconds,
                  double(result.packed) / double(kind.data.size()));
      std::fflush(stdout);
    }
    std::printf(" |\n");
  }
  return 0;
}
