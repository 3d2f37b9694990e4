#!/usr/bin/env python3
"""Print the contents of one section of an ELF32 file.

usage: section.py ELF NAME [--words | --line] [--from OFFSET] [--size N]

Prints the bytes of the section NAME as two-digit hexadecimal numbers, 16
to a line (with --line all on one line), or with --words one 32-bit word a
line as eight hexadecimal digits, read in the file's byte order. --from and --size select a part of
the section (default: all of it). Exits with status 1 when there is no
section NAME.
"""
import struct
import sys


def find_section(data, name):
    order = ">" if data[5] == 2 else "<"
    shoff, = struct.unpack_from(order + "I", data, 32)
    shentsize, shnum, shstrndx = struct.unpack_from(order + "HHH", data, 46)

    def header(i):
        return struct.unpack_from(order + "10I", data, shoff + i * shentsize)

    names = header(shstrndx)[4]
    for i in range(shnum):
        h = header(i)
        end = data.index(b"\0", names + h[0])
        if data[names + h[0]:end].decode() == name:
            return order, data[h[4]:h[4] + h[5]] if h[1] != 8 else bytes(h[5])
    return order, None


def main():
    args = sys.argv[1:]
    words = "--words" in args
    start, size = 0, None
    if "--from" in args:
        start = int(args[args.index("--from") + 1], 0)
    if "--size" in args:
        size = int(args[args.index("--size") + 1], 0)
    with open(args[0], "rb") as f:
        data = f.read()
    order, contents = find_section(data, args[1])
    if contents is None:
        print(f"no section {args[1]}")
        return 1
    contents = contents[start:] if size is None else contents[start:start + size]
    if words:
        for i in range(0, len(contents) - 3, 4):
            print("%08x" % struct.unpack_from(order + "I", contents, i))
    elif "--line" in args:
        print(" ".join("%02x" % b for b in contents))
    else:
        for i in range(0, len(contents), 16):
            print(" ".join("%02x" % b for b in contents[i:i + 16]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
