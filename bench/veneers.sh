#!/usr/bin/env bash
# Measures veneer construction: 200 objects of 1,000 Thumb functions,
# half of them placed in flash and half in RAM 0x20000000 away, every
# function calling the next one and one in the other memory. Every call
# between the memories needs a veneer (200,002 of them, each with its
# symbol and two mapping symbols), the sections grow, and the layout is
# done again. Prints the median of five runs, and the same link with
# both halves in one memory (no veneer) for comparison.
#
#   bench/veneers.sh [path/to/tanrek-ld]
set -euo pipefail
source "$(dirname "$0")/common.sh"

python3 - <<'PY'
for f in range(200):
    with open(f"gen{f}.s", "w") as out:
        out.write(".syntax unified\n.thumb\n")
        for s in range(1000):
            half = "lo" if f < 100 else "hi"
            out.write(f'.section .text.{half}.f{f}_{s},"ax",%progbits\n.p2align 1\n')
            out.write(f".global f{f}_{s}\n.type f{f}_{s},%function\nf{f}_{s}:\n")
            nxt = f"f{f}_{s + 1}" if s < 999 else (f"f{f + 1}_0" if f < 199 else "f0_0")
            other = f"f{(f + 100) % 200}_{s}"
            out.write(f"  bl {nxt}\n  bl {other}\n  bx lr\n")
PY
for f in gen*.s; do llvm-mc -filetype=obj -triple=thumbv7m-none-eabi "$f" -o "${f%.s}.o"; done

cat > far.icf <<'ICF'
define memory;
place in [from 0x0 size 16M] { section .text.lo.* };
place in [from 0x20000000 size 16M] { section .text.hi.* };
place in [from 0x30000000 size 64K] { readonly };
ICF
cat > near.icf <<'ICF'
define memory;
place in [from 0x0 size 16M] { readexec };
place in [from 0x30000000 size 64K] { readonly };
ICF

flags=(-q --cpu=cortex-m3 gen*.o --keep=f0_0 --no-entry)
echo "200,000 far calls through veneers:           $(median "$linker" "${flags[@]}" -Tfar.icf) s"
echo "the same calls all in reach (no veneer):     $(median "$linker" "${flags[@]}" -Tnear.icf) s"
