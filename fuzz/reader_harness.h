// One run of the object and archive readers over a byte string, shared by
// the libFuzzer entry point and the corpus replay program.
//
// The first byte picks the options the readers depend on; the remaining
// bytes are the file, read as an ELF object when it starts with the ELF
// magic and as an archive when it starts with "!<arch>\n". After loading,
// the run goes on through the later readers: name resolution with archive
// members loaded on demand, the section walk, the relocations of every
// section, and the header rewrite and allocation checks.
//
// A fatal error ends the run through the fatal hook instead of the process;
// the hook stays installed between runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tanrek::fuzz {

// Option bits of the first byte.
enum OptionBits : uint8_t {
  OptionBigEndian = 0x01,    // --big-endian
  OptionLazyArchives = 0x02, // --lazy-load-archives
  OptionNoUnwind = 0x04,     // unwind tables off (they are on by default)
  OptionStackSizes = 0x08,   // map contents bit 0x8000: read ".stack_sizes"
  OptionVerbosity = 0x30,    // verbosity 1, 2, 3; the value 3: verbosity 1, names wrapped
  OptionLog = 0x40,          // log open (written to /dev/null)
  OptionPlainNames = 0x80,   // no demangling of symbol names
};

enum class Outcome {
  Completed, // every step ran to its end
  Fatal,     // the input was refused with a fatal error
  Defect,    // an internal error or a failed assertion: a linker bug
};

struct Result {
  Outcome outcome = Outcome::Completed;
  // The fatal message, prefix included ("error: ...").
  std::string message;
  // What the input held: nothing, an object, an archive.
  bool elf = false;
  bool archive = false;
};

// Runs the readers once over `data`. Never ends the process for a bad
// input; a crash or a sanitizer report is a finding.
Result RunReaders(const uint8_t *data, size_t size);

} // namespace tanrek::fuzz
