// Shared scaffolding of the unit tests: a cursor whose errors are
// exceptions, log capture, and a fixture with a fresh Arm linker.
#pragma once

#include "arm/arm_linker.h"
#include "driver/diagnostics.h"
#include "driver/log.h"
#include "driver/options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace tanrek::testing_support {

// A cursor whose errors are exceptions carrying the message.
class ThrowingOptions final : public AsmOptions {
public:
  void ReportError(const std::string &message) override { throw std::runtime_error(message); }
};

// The message of a fatal error, thrown by the fatal hook instead of ending
// the process.
struct FatalStop : std::runtime_error {
  using std::runtime_error::runtime_error;
};

inline void ThrowFatal(const std::string &message) { throw FatalStop(message); }

// The message of the fatal error that `body` ends with, or "" when it
// returns normally.
template <typename Body> std::string FatalMessage(Body body) {
  FatalHook saved = fatalHook;
  fatalHook = ThrowFatal;
  std::string message;
  try {
    body();
  } catch (const FatalStop &stop) {
    message = stop.what();
  }
  fatalHook = saved;
  return message;
}

// What the log receives while `body` runs, starting at depth 0.
template <typename Body> std::string CaptureLog(Body body) {
  char *buffer = nullptr;
  size_t size = 0;
  std::FILE *stream = open_memstream(&buffer, &size);
  theLog.stream = stream;
  theLog.depth = 0;
  body();
  theLog.stream = nullptr;
  std::fclose(stream);
  std::string text(buffer, size);
  std::free(buffer);
  return text;
}

// A fresh Arm linker with its default flags as the process's linker. The
// banner has its own tests, so it is marked as shown.
class LinkerTest : public ::testing::Test {
protected:
  void SetUp() override {
    theLog = Log{};
    theLinker = &linker;
    linker.SetDefaultFlags();
    linker.SetFlag(Flag::BannerShown);
  }
  void TearDown() override {
    theLog = Log{};
    theLinker = nullptr;
  }

  void Parse(const std::vector<std::string> &args) {
    ThrowingOptions cursor;
    cursor.SetArguments(args);
    linker.ParseOptions(cursor);
  }

  ArmLinker linker;
};

} // namespace tanrek::testing_support
