// Runs the fuzz harnesses over saved inputs: every regular file of each
// directory given, and every file given by name. Used by the test suite on
// fuzz/corpus and fuzz/script-corpus so that every input the fuzzers once
// found interesting is run again by every build, sanitizer build included.
//
// Paths go to the reader harness, or to the script harness once --script
// has been given (--reader switches back). A crash ends the program
// abnormally. Beyond that, an internal error or a failed assertion is a
// failure, and two naming conventions of the corpora are checked: an input
// whose name starts with "ok-" must be read (or parsed) to the end, one
// whose name starts with "bad-" must be refused with a fatal error. Every
// harness named must find at least one input.
//
// Usage: tanrek-fuzz-replay [-v] [--reader] DIR|FILE... [--script DIR|FILE...]
// Standard output (the banner and the loader's own lines) is discarded
// unless -v is given; -v also lists the outcome of every input.
#include "reader_harness.h"
#include "script_harness.h"

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

// Collects the regular files of `given` (a directory) or `given` itself;
// false when it is neither.
static bool Collect(const char *given, std::vector<fs::path> &paths) {
  fs::path path(given);
  std::error_code error;
  if (fs::is_directory(path, error)) {
    for (const fs::directory_entry &entry : fs::directory_iterator(path, error))
      if (entry.is_regular_file())
        paths.push_back(entry.path());
  } else if (fs::is_regular_file(path, error)) {
    paths.push_back(path);
  } else {
    std::fprintf(stderr, "tanrek-fuzz-replay: %s is neither a file nor a directory\n", given);
    return false;
  }
  return true;
}

// The check of one outcome against the input's name; null when it holds.
static const char *Problem(const std::string &name, Outcome outcome) {
  if (outcome == Outcome::Defect)
    return "linker defect";
  if (name.starts_with("ok-") && outcome != Outcome::Completed)
    return "a valid input was refused";
  if (name.starts_with("bad-") && outcome != Outcome::Fatal)
    return "a malformed input was accepted";
  return nullptr;
}

// What one run of either harness says about its input.
struct Run {
  Outcome outcome = Outcome::Completed;
  std::string message;
  // Not run: the input names --help or --version in an option statement.
  bool skipped = false;
  // Errors counted by a run that went to its end.
  uint32_t errors = 0;
};

// How the summary line names a harness's inputs and their outcomes.
struct Labels {
  const char *inputs;    // "inputs", "scripts"
  const char *completed; // "read to the end", "parsed to the end"
  bool canSkip;          // the harness may decline to run an input
};

// Runs every input through `harness` and checks its outcome against its
// name. A skipped input fails only when its name promises an outcome.
template <typename Harness>
static unsigned Replay(const std::vector<fs::path> &paths, bool verbose, const Labels &labels, Harness harness) {
  unsigned counts[3] = {0, 0, 0};
  unsigned skipped = 0;
  unsigned failures = 0;
  for (const fs::path &path : paths) {
    std::vector<uint8_t> bytes;
    if (!ReadWhole(path, bytes)) {
      std::fprintf(stderr, "FAIL %s: cannot be read\n", path.c_str());
      ++failures;
      continue;
    }
    Run result = harness(bytes);
    std::string name = path.filename().string();
    const char *problem = nullptr;
    if (result.skipped) {
      ++skipped;
      if (name.starts_with("ok-") || name.starts_with("bad-"))
        problem = "the input was not run (it names --help or --version)";
    } else {
      ++counts[static_cast<int>(result.outcome)];
      problem = Problem(name, result.outcome);
    }
    if (problem) {
      ++failures;
      std::fprintf(stderr, "FAIL %s: %s%s%s\n", path.c_str(), problem, result.message.empty() ? "" : ": ",
                   result.message.c_str());
    } else if (verbose) {
      std::string detail = result.message;
      if (!result.skipped && result.outcome == Outcome::Completed && result.errors)
        detail = std::to_string(result.errors) + " errors counted";
      std::fprintf(stderr, "%-9s %s%s%s\n", result.skipped ? "skipped" : OutcomeName(result.outcome), name.c_str(),
                   detail.empty() ? "" : ": ", detail.c_str());
    }
  }
  std::string notRun = labels.canSkip ? ", " + std::to_string(skipped) + " not run" : "";
  std::fprintf(stderr, "%zu %s: %u %s, %u refused with a fatal error, %u defects%s; %u failures\n", paths.size(),
               labels.inputs, counts[0], labels.completed, counts[1], counts[2], notRun.c_str(), failures);
  return failures;
}

static Run RunReaders(const std::vector<uint8_t> &bytes) {
  tanrek::fuzz::Result result = tanrek::fuzz::RunReaders(bytes.data(), bytes.size());
  return Run{result.outcome, result.message, false, 0};
}

static Run RunScript(const std::vector<uint8_t> &bytes) {
  tanrek::fuzz::ScriptResult result = tanrek::fuzz::RunScript(bytes.data(), bytes.size());
  return Run{result.outcome, result.message, result.skipped, result.errors};
}

int main(int argc, char **argv) {
  bool verbose = false;
  bool scripts = false;
  bool readersNamed = false, scriptsNamed = false;
  std::vector<fs::path> readerPaths, scriptPaths;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-v") == 0) {
      verbose = true;
      continue;
    }
    if (std::strcmp(argv[i], "--script") == 0 || std::strcmp(argv[i], "--reader") == 0) {
      scripts = argv[i][2] == 's';
      continue;
    }
    (scripts ? scriptsNamed : readersNamed) = true;
    if (!Collect(argv[i], scripts ? scriptPaths : readerPaths))
      return 2;
  }
  if ((readerPaths.empty() && !scriptsNamed) || (readersNamed && readerPaths.empty()) ||
      (scriptsNamed && scriptPaths.empty())) {
    std::fprintf(stderr,
                 "usage: tanrek-fuzz-replay [-v] [--reader] DIR|FILE... [--script DIR|FILE...]\n(no inputs found)\n");
    return 2;
  }
  std::sort(readerPaths.begin(), readerPaths.end());
  std::sort(scriptPaths.begin(), scriptPaths.end());
  if (!verbose && !std::freopen("/dev/null", "w", stdout)) {
    std::fprintf(stderr, "tanrek-fuzz-replay: cannot discard standard output\n");
    return 2;
  }

  unsigned failures = 0;
  if (!readerPaths.empty())
    failures += Replay(readerPaths, verbose, Labels{"inputs", "read to the end", false}, RunReaders);
  if (!scriptPaths.empty())
    failures += Replay(scriptPaths, verbose, Labels{"scripts", "parsed to the end", true}, RunScript);
  return failures ? 1 : 0;
}
