#!/usr/bin/env python3
"""Prints the code size in bytes of every routine of the run-time library,
per variant, as the table in docs/runtime.md (sizes from the symbol table,
literal pools included).

usage: rt/sizes.py BUILD_DIR
"""
import subprocess
import sys

COLUMNS = [("copy", "__TANREK_init_copy"), ("lzss", "__TANREK_init_lzss"), ("packbits", "__TANREK_init_pack"),
           ("zpak", "__TANREK_init_zpak"), ("zero", "__TANREK_init_zero"), ("fill", "__TANREK_init_fill"),
           ("walker", "__TANREK_init"), ("continue", "__TANREK_init_continue"), ("Reset_Handler", "Reset_Handler"),
           ("__TANREK_start", "__TANREK_start"), ("finish", "__TANREK_finish"), ("exit hook", "__TANREK_exit")]
VARIANTS = ["armv4t", "armv5te", "armv4t-thumb", "armv5te-thumb", "armv6-m", "armv7-m", "armv7e-m", "armv8-m.base",
            "armv8-m.main", "armv7-a"]


def sizes(archive):
    out = subprocess.run(["arm-none-eabi-nm", "-S", archive], capture_output=True, text=True, check=True).stdout
    found = {}
    for line in out.splitlines():
        fields = line.split()
        if len(fields) == 4 and fields[2] in "TtWw":
            found[fields[3]] = int(fields[1], 16)
    return found


def main():
    print("| Variant | " + " | ".join(title for title, _ in COLUMNS) + " |")
    print("|---" * (len(COLUMNS) + 1) + "|")
    for variant in VARIANTS:
        found = sizes(f"{sys.argv[1]}/rt/{variant}/libtanrek.a")
        cells = []
        for title, symbol in COLUMNS:
            if symbol == "Reset_Handler" and "__TANREK_start" in found:
                cells.append("= start")
            else:
                cells.append(str(found.get(symbol, "-")))
        print(f"| {variant} | " + " | ".join(cells) + " |")


main()
