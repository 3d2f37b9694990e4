#!/usr/bin/env bash
# Links a large synthetic Cortex-M4 firmware with tanrek-ld, GNU ld and
# ld.lld and prints a markdown table of the median wall time of five runs
# and the peak memory of each. The firmware (bench/gen_firmware.py) has
# 3,000 modules of C, a third of them in an archive, with unreachable
# functions, tables and whole modules, so that garbage collection and
# demand loading matter; the three scripts place the same sections in the
# same flash and RAM. Before timing, the three images are compared: the
# number of code and data sections each kept and the bytes of flash and
# RAM each used.
#
#   bench/firmware.sh [path/to/tanrek-ld] [directory for the objects]
#
# Compiling the modules takes minutes; give a directory to keep them for
# the next run (they are rebuilt when gen_firmware.py changes).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"
modules=${MODULES:-3000}
objects=$(realpath -m "${2:-$work/objects}")

# Sources and objects, reused when the generator has not changed.
stamp="$(sha1sum "$here/gen_firmware.py" | cut -c1-12)-$modules"
if [[ ! -f "$objects/stamp" || "$(cat "$objects/stamp")" != "$stamp" ]]; then
  rm -rf "$objects" && mkdir -p "$objects"
  (cd "$objects" && python3 "$here/gen_firmware.py" "$modules" >&2 &&
   ls ./*.c | xargs -P "$(nproc)" -n 50 arm-none-eabi-gcc -mcpu=cortex-m4 -mthumb -Os \
     -ffunction-sections -fdata-sections -c &&
   rm -f libdrivers.a && xargs arm-none-eabi-ar rcs libdrivers.a < archive.txt &&
   echo "$stamp" > stamp)
fi
mapfile -t inputs < <(sed "s|^|$objects/|" "$objects/objects.txt")
inputs+=("$objects/libdrivers.a")

cat > firmware.icf <<'ICF'
define memory with size = 4G;
define region FLASH = mem:[from 0x08000000 size 4M];
define region RAM = mem:[from 0x20000000 size 1M];
define block CSTACK with alignment = 8, size = 0x1000 { };
initialize by copy { readwrite };
keep { section .isr_vector };
place at start of FLASH { section .isr_vector };
place in FLASH { readexec, readonly };
place in RAM { readwrite, zeroinit };
place at end of RAM { block CSTACK };
ICF

cat > firmware.ld <<'LD'
ENTRY(Reset_Handler)
MEMORY {
  FLASH (rx) : ORIGIN = 0x08000000, LENGTH = 4M
  RAM (rwx) : ORIGIN = 0x20000000, LENGTH = 1M
}
SECTIONS {
  .isr_vector : { KEEP(*(.isr_vector)) } > FLASH
  .text : { *(.text .text.*) } > FLASH
  .rodata : { *(.rodata .rodata.*) } > FLASH
  .ARM.exidx : { *(.ARM.exidx*) } > FLASH
  .data : { *(.data .data.*) } > RAM AT > FLASH
  .bss : { *(.bss .bss.*) *(COMMON) } > RAM
  __CSTACK_end__ = ORIGIN(RAM) + LENGTH(RAM);
}
LD

# The initialization routines the table refers to come from the run-time
# library built next to the linker.
tanrek=("$linker" -q --lazy-load-archives -Tfirmware.icf -o tanrek.elf "${inputs[@]}"
        "$(dirname "$linker")/rt/armv7e-m/libtanrek.a")
gnu=(arm-none-eabi-ld --gc-sections -T firmware.ld -o gnu.elf "${inputs[@]}")
lld=(ld.lld-14 --gc-sections -T firmware.ld -o lld.elf "${inputs[@]}")
# tanrek-ld runs on one thread; ld.lld uses every core unless told not to.
lld1=(ld.lld-14 --threads=1 --gc-sections -T firmware.ld -o lld.elf "${inputs[@]}")

# What each linker kept: the functions and data objects in the image's
# symbol table, the bytes of flash (the file contents of the segments
# loaded there, including the load image of initialized data) and of RAM
# (the memory size of the segments that run there).
"${tanrek[@]}" > tanrek.out 2>&1 || { echo "tanrek-ld failed:" >&2; cat tanrek.out >&2; }
"${gnu[@]}" > gnu.out 2>&1 || { echo "GNU ld failed:" >&2; cat gnu.out >&2; }
"${lld[@]}" > lld.out 2>&1 || { echo "ld.lld failed:" >&2; cat lld.out >&2; }
symbols() { # the defined function and object names of an image, sorted
  llvm-readelf -s --wide "$1" 2>/dev/null | awk '$4 == "FUNC" || $4 == "OBJECT" { print $4, $8 }' | sort
}
kept() {
  [[ -f "$1.elf" ]] || { echo "| - | - | - | - |"; return; }
  symbols "$1.elf" > "$1.symbols"
  local flash=0 ram=0 type offset vaddr paddr filesz memsz rest
  while read -r type offset vaddr paddr filesz memsz rest; do
    [[ $type == LOAD ]] || continue
    ((paddr < 0x20000000)) && flash=$((flash + filesz))
    ((vaddr >= 0x20000000)) && ram=$((ram + memsz))
  done < <(llvm-readelf -l --wide "$1.elf")
  echo "| $(grep -c '^FUNC' "$1.symbols") | $(grep -c '^OBJECT' "$1.symbols") | $flash | $ram |"
}

seconds() { printf '%.3f' "$(median "$@")"; }
peak() { # peak resident memory in MB of one run
  /usr/bin/time -f %M "$@" 2>&1 > /dev/null | tail -1 | awk '{ printf "%.0f", $1 / 1024 }'
}

count=$(wc -l < "$objects/objects.txt")
members=$(wc -l < "$objects/archive.txt")
echo "Firmware: $count objects and an archive of $members members ($(du -sm "$objects" | cut -f1) MB with sources)."
echo
echo "| linker | median of 5 runs (s) | peak memory (MB) | functions kept | data objects kept | flash (bytes) | RAM (bytes) |"
echo "|---|---|---|---|---|---|---|"
echo "| tanrek-ld | $(seconds "${tanrek[@]}") | $(peak "${tanrek[@]}") $(kept tanrek)"
echo "| GNU ld $(arm-none-eabi-ld --version | head -1 | awk '{print $NF}') | $(seconds "${gnu[@]}") | $(peak "${gnu[@]}") $(kept gnu)"
echo "| ld.lld $(ld.lld-14 --version | grep -o '[0-9][0-9.]*' | head -1) | $(seconds "${lld[@]}") | $(peak "${lld[@]}") $(kept lld)"
echo "| ld.lld, one thread | $(seconds "${lld1[@]}") | $(peak "${lld1[@]}") $(kept lld)"
echo
for other in gnu lld; do
  [[ -f tanrek.symbols && -f $other.symbols ]] || continue
  echo "Symbols only tanrek-ld kept, against $other: $(comm -23 tanrek.symbols $other.symbols | wc -l);" \
    "only $other kept: $(comm -13 tanrek.symbols $other.symbols | wc -l)."
  comm -3 tanrek.symbols $other.symbols | head -5 | sed 's/^/    /'
done
