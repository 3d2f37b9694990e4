// The --help text. Options are grouped by what a firmware engineer reaches
// for; every spelling listed here is accepted by the option parser.
#include "driver/options.h"

namespace tanrek {

const char *HelpText() {
  return R"(Usage: tanrek-ld [options] file... -Tscript
Links ELF32 Arm objects and archives into one executable, placed by a
linker script. Options may also come from option files: @file, --via=file,
--via file or -f file (tokens separated by white space, "quoted" tokens).
In option names '-' and '_' are interchangeable.

Input and output:
  -Tfile, --script=file, --script file    linker script (may be repeated)
  -o file, --output file, --output=file   output file (default a.elf)
  --lazy-load-archives                    index archives, load members on demand
  -EL, --little-endian / -EB, --big-endian   byte order of the inputs and image

Target:
  --cpu=name, -mcpu=name                  core: arm7tdmi, v5TE, cortex-m0, cortex-m0plus,
                                          cortex-m1, cortex-m23, cortex-m3, cortex-m4,
                                          cortex-m7, cortex-m33, cortex-a8, cortex-a9,
                                          6-M, 7-M, 7E-M, 7-A, 8-M.base, 8-M.main ...

Symbols:
  -e name, --entry=name                   entry symbol, kept (default Reset_Handler)
  --entry name / --no-entry               entry symbol without keeping it / none
  --keep name, --keep=name, -uname        keep a symbol and its section
  --defsym=name=expr, -Dname=expr         define a symbol
  --define-symbol def, --redirect def     define a symbol
  --wrap name                             route references to name through __wrap_name
  --undefined-weak-is-zero                undefined weak references resolve to 0
  --[no-]pretty-symbol-names              demangle C++ names in reports

Memory and placement:
  --add-region name=expr                  define a region on the command line
  --[no-]autoat                           place .ARM.__at_ sections automatically
  --pad-all, --pad-none, --pad-ram, --pad-rom, --pad-code, --pad-data,
  --pad-ro, --pad-rw, --pad-zi            pad sections of a kind to their alignment
  --min-align-{code,rom,ro,rw,zi,ram,data}=n   minimum section alignment (power of two)

Optimisation:
  --[no-]merge-sections, --[no-]merge-strings   share identical constants and strings
  --[no-]dedupe-code, --[no-]dedupe-data        fold identical sections
  --enable-lzss/--disable-lzss, --enable-packbits/--disable-packbits,
  --enable-zpak/--disable-zpak                  packing of initialized data
  --[no-]optimize-exception-index, --[no-]unwind-tables
  --[no-]inline

Output image:
  --strip                                 no symbols, no debug information
  --bare, --no-section-headers            no section headers, symbols or debug
  --minimal-section-headers, --block-section-headers, --full-section-headers
  --[no-]symbols, --[no-]debug
  --[no-]auto-es-symbols, --[no-]auto-es-block-symbols,
  --[no-]auto-es-region-symbols, --[no-]auto-arm-symbols

Map file:
  -Map file, --map-file file, --map-file=file   write a map file
  --map-text, --map-html                  format of the map
  --map-none, -M/--map-standard, --map-compact, --map-detailed, --map-full
  --[no-]map-script, --[no-]map-placement, --[no-]map-modules,
  --[no-]map-module-detail, --[no-]map-section-detail, --[no-]map-unused,
  --[no-]map-init-table, --[no-]map-veneers, --[no-]map-symbols,
  --[no-]map-summary, --[no-]map-listing, --[no-]map-listing-with-data,
  --[no-]map-listing-with-comments, --[no-]map-listing-use-adr-pseudo,
  --[no-]map-listing-use-ldr-pseudo, --[no-]map-listing-xref,
  --[no-]map-exception-table, --[no-]map-memory-by-symbol,
  --[no-]map-reveal-indirect-use
  --map-wide, --map-narrow, --map-wrap, --map-no-wrap
  --map-addr-format=n, --map-size-format=n

Diagnostics:
  -v, --verbose / -q, --silent            more output (repeatable) / none
  --log-file file, --log-file=file        trace every phase of the link
  --warnings, --no-warnings, --fatal-warnings
  --remarks, --no-remarks, --remarks-are-warnings, --remarks-are-errors
  --warn-unintended-double, --warn-any-double, --no-warn-double
  --[no-]warn-empty-selects, --[no-]warn-deprecated
  --[no-]list-all-undefineds              one error per undefined symbol
  --[no-]force-output                     keep the output even after errors
  --[no-]time

  --help                                  this text
  --version                               the linker's name and version
)";
}

} // namespace tanrek
