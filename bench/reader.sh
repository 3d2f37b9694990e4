#!/usr/bin/env bash
# Measures reading inputs and the reachability walk: the Arm toolchain's
# C, math, C++ and compiler libraries (about 44 MB of archives) loaded
# whole and on demand, and 200 generated objects of 1,000 sections each
# that call each other in a chain. Prints the median of five runs.
#
#   bench/reader.sh [path/to/tanrek-ld]
set -euo pipefail
source "$(dirname "$0")/common.sh"
# Everything reached is placed, so that the link runs to its end.
cat > empty.ld <<'ICF'
define memory;
place in [from 0x0 size 256M] { readexec, readonly, readwrite, zeroinit, init_array, fini_array };
ICF

libs=/usr/lib/arm-none-eabi/newlib/thumb/v7-m/nofp
gcc_dir=$(dirname "$(arm-none-eabi-gcc -mcpu=cortex-m3 -mthumb -print-libgcc-file-name)")
archives=("$libs/libc.a" "$libs/libm.a" "$libs/libstdc++.a" "$gcc_dir/libgcc.a")
bytes=$(cat "${archives[@]}" | wc -c)

echo "archives ($((bytes / 1000000)) MB), every member loaded: $(median "$linker" "${archives[@]}" -Tempty.ld --keep=printf --keep=malloc) s"
echo "archives, members loaded on demand:           $(median "$linker" "${archives[@]}" -Tempty.ld --keep=printf --keep=malloc --lazy-load-archives) s"

chain_objects
size=$(cat gen*.o | wc -c)
echo "200 objects ($((size / 1000000)) MB, 200,000 sections), all reached: $(median "$linker" gen*.o -Tempty.ld --keep=f0_0) s"
