// The output image: the ELF file header, program segments, output sections
// and symbol table, each held as chunks of bytes that are laid out once and
// written once by "Write image".
#pragma once

namespace tanrek {

struct OutputSegment {};

struct OutputImage {};

} // namespace tanrek
