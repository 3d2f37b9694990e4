#!/usr/bin/env bash
# Measures selection and placement of many small sections: 200 generated
# objects of 1,000 code sections each, every second one aligned to 8 so
# that the region fills with 2-byte alignment gaps, all placed by one
# place-in statement. Also runs with the whole log written, as firmware
# teams do when they debug placement. Prints the median of five runs.
#
#   bench/placement.sh [path/to/tanrek-ld]
set -euo pipefail
source "$(dirname "$0")/median.sh"

linker=${1:-build/tanrek-ld}
linker=$(realpath "$linker")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

python3 - <<'PY'
for f in range(200):
    with open(f"gen{f}.s", "w") as out:
        out.write(".syntax unified\n.thumb\n")
        for s in range(1000):
            out.write(f'.section .text.f{f}_{s},"ax",%progbits\n')
            if s % 2:
                out.write(".p2align 3\n")
            out.write(f".global f{f}_{s}\n.type f{f}_{s},%function\nf{f}_{s}:\n")
            nxt = f"f{f}_{s + 1}" if s < 999 else (f"f{f + 1}_0" if f < 199 else "f0_0")
            out.write(f"  bl {nxt}\n  bx lr\n")
PY
for f in $(seq 0 199); do arm-none-eabi-as -mthumb -mcpu=cortex-m3 "gen$f.s" -o "gen$f.o" &
  (( f % 8 == 7 )) && wait; done; wait
cat > place.icf <<'ICF'
define memory;
place in [from 0x0 size 16M] { readexec };
ICF

echo "200,000 sections placed in one region:       $(median "$linker" -q gen*.o -Tplace.icf --keep=f0_0) s"
echo "the same, with the log written:              $(median "$linker" -q gen*.o -Tplace.icf --keep=f0_0 --log-file log.txt) s"
