# Sourced by the benchmarks, with the linker as optional first argument:
# sets `linker`, makes a scratch directory that is removed on exit and
# changes into it.
linker=$(realpath "${1:-build/tanrek-ld}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# median command... prints the median wall time of five runs in seconds;
# the command's output and status are ignored.
median() {
  local times=()
  for _ in 1 2 3 4 5; do
    local start end
    start=$(date +%s.%N)
    "$@" > /dev/null 2>&1 || true
    end=$(date +%s.%N)
    times+=("$(echo "$end - $start" | bc)")
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
}

# chain_objects [aligned]: 200 objects gen0.o ... gen199.o of 1,000 Thumb
# code sections each, every function calling the next, the last calling
# f0_0. With "aligned", every second section is aligned to 8, which
# leaves 2-byte alignment gaps between the sections once placed.
chain_objects() {
  python3 - "${1:-}" <<'PY'
import sys
aligned = sys.argv[1] == "aligned"
for f in range(200):
    with open(f"gen{f}.s", "w") as out:
        out.write(".syntax unified\n.thumb\n")
        for s in range(1000):
            out.write(f'.section .text.f{f}_{s},"ax",%progbits\n')
            if aligned and s % 2:
                out.write(".p2align 3\n")
            out.write(f".global f{f}_{s}\n.type f{f}_{s},%function\nf{f}_{s}:\n")
            nxt = f"f{f}_{s + 1}" if s < 999 else (f"f{f + 1}_0" if f < 199 else "f0_0")
            out.write(f"  bl {nxt}\n  bx lr\n")
PY
  for f in $(seq 0 199); do
    arm-none-eabi-as -mthumb -mcpu=cortex-m3 "gen$f.s" -o "gen$f.o" &
    (( f % 8 == 7 )) && wait
  done
  wait
}
