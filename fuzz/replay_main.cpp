// Runs the reader harness over saved inputs: every regular file of each
// directory given, and every file given by name. Used by the test suite on
// fuzz/corpus so that every input the fuzzer once found interesting is run
// again by every build, sanitizer build included.
//
// A crash ends the program abnormally. Beyond that, an internal error or a
// failed assertion is a failure, and two naming conventions of the corpus
// are checked: an input whose name starts with "ok-" must be read to the
// end, one whose name starts with "bad-" must be refused with a fatal
// error.
//
// Usage: tanrek-fuzz-replay [-v] DIR|FILE...
// Standard output (the banner and the loader's own lines) is discarded
// unless -v is given; -v also lists the outcome of every input.
#include "reader_harness.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using tanrek::fuzz::Outcome;

static bool ReadWhole(const fs::path &path, std::vector<uint8_t> &bytes) {
  std::ifstream stream(path, std::ios::binary);
  if (!stream)
    return false;
  bytes.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
  return !stream.bad();
}

static const char *OutcomeName(Outcome outcome) {
  switch (outcome) {
  case Outcome::Completed:
    return "completed";
  case Outcome::Fatal:
    return "fatal";
  case Outcome::Defect:
    return "DEFECT";
  }
  return "?";
}

int main(int argc, char **argv) {
  bool verbose = false;
  std::vector<fs::path> paths;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-v") == 0) {
      verbose = true;
      continue;
    }
    fs::path given(argv[i]);
    std::error_code error;
    if (fs::is_directory(given, error)) {
      for (const fs::directory_entry &entry : fs::directory_iterator(given, error))
        if (entry.is_regular_file())
          paths.push_back(entry.path());
    } else if (fs::is_regular_file(given, error)) {
      paths.push_back(given);
    } else {
      std::fprintf(stderr, "tanrek-fuzz-replay: %s is neither a file nor a directory\n", argv[i]);
      return 2;
    }
  }
  if (paths.empty()) {
    std::fprintf(stderr, "usage: tanrek-fuzz-replay [-v] DIR|FILE...\n(no inputs found)\n");
    return 2;
  }
  std::sort(paths.begin(), paths.end());
  if (!verbose && !std::freopen("/dev/null", "w", stdout)) {
    std::fprintf(stderr, "tanrek-fuzz-replay: cannot discard standard output\n");
    return 2;
  }

  unsigned counts[3] = {0, 0, 0};
  unsigned failures = 0;
  for (const fs::path &path : paths) {
    std::vector<uint8_t> bytes;
    if (!ReadWhole(path, bytes)) {
      std::fprintf(stderr, "FAIL %s: cannot be read\n", path.c_str());
      ++failures;
      continue;
    }
    tanrek::fuzz::Result result = tanrek::fuzz::RunReaders(bytes.data(), bytes.size());
    ++counts[static_cast<int>(result.outcome)];
    std::string name = path.filename().string();
    const char *problem = nullptr;
    if (result.outcome == Outcome::Defect)
      problem = "linker defect";
    else if (name.starts_with("ok-") && result.outcome != Outcome::Completed)
      problem = "a valid input was refused";
    else if (name.starts_with("bad-") && result.outcome != Outcome::Fatal)
      problem = "a malformed input was accepted";
    if (problem) {
      ++failures;
      std::fprintf(stderr, "FAIL %s: %s%s%s\n", path.c_str(), problem, result.message.empty() ? "" : ": ",
                   result.message.c_str());
    } else if (verbose) {
      std::fprintf(stderr, "%-9s %s%s%s\n", OutcomeName(result.outcome), name.c_str(),
                   result.message.empty() ? "" : ": ", result.message.c_str());
    }
  }
  std::fprintf(stderr, "%zu inputs: %u read to the end, %u refused with a fatal error, %u defects; %u failures\n",
               paths.size(), counts[0], counts[1], counts[2], failures);
  return failures ? 1 : 0;
}
