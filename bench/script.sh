#!/usr/bin/env bash
# Measures reading a large placement script: 20,000 blocks with attributes
# and selectors, 20,000 placement statements, 20,000 symbol definitions
# and a user-defined section of 100,000 data items (about 4 MB of script).
# Nothing is placed, so the time is the script front end and the fixed
# phases around it. Prints the median of five runs.
#
#   bench/script.sh [path/to/tanrek-ld]
set -euo pipefail
source "$(dirname "$0")/common.sh"

python3 - <<'PY'
with open("big.icf", "w") as out:
    out.write("define memory;\n")
    out.write("define region ROM = [from 0 size 0x8000000];\n")
    out.write("define region RAM = [from 0x20000000 size 0x100000] | [from 0x30000000 size 0x100000];\n")
    for i in range(20000):
        out.write(f"define block B{i} with alignment = 8, size order {{ section .text.f{i}*, symbol s{i}, ro }}"
                  f" except {{ section .text.f{i}.cold }};\n")
    for i in range(20000):
        out.write(f"place in ROM - [from {i * 0x100:#x} size 0x80] then RAM {{ block B{i} }};\n")
    for i in range(20000):
        out.write(f"define symbol d{i} = {i} * 4 + 0x1000 - (3 < 4 == 1);\n")
    out.write("define section .table {\n")
    out.write(",\n".join(f"  l{i}: u32 {i} * 3" for i in range(100000)))
    out.write("\n};\n")
PY
: > empty.s
arm-none-eabi-as empty.s -o empty.o
"$linker" -q empty.o -Tbig.icf -o out.elf || { echo "the script does not link"; exit 1; }


echo "script of $(($(wc -c < big.icf) / 1000)) kB: $(median "$linker" empty.o -Tbig.icf -o out.elf) s"
