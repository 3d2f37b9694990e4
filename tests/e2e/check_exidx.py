#!/usr/bin/env python3
"""Checks the exception index of a linked image the way libgcc's unwinder
reads it: one table of 8-byte entries from __exidx_start to __exidx_end,
binary-searched by code address. The image may split the table over many
sections, so the table is read from the image's memory through the program
headers, not section by section.

Every entry must cover code at a higher address than the one before it
(else the search misses functions), the last entry must say "cannot
unwind" (it closes the range of the last function), word 1 of every entry
must be cannot-unwind, an inline entry, or an offset to unwinding data
inside the image. Each function named after --unwinds must be covered by
an entry that unwinds, and each named after --cannot-unwind (code without
unwinding information, between functions that have it) by a cannot-unwind
entry: the linker's entries that fill the gaps in the table.

usage: check_exidx.py IMAGE [--unwinds FUNCTION...] [--cannot-unwind FUNCTION...]"""
import argparse
import struct
import sys

EXIDX_CANTUNWIND = 1


class Image:
    def __init__(self, path):
        with open(path, 'rb') as f:
            self.data = f.read()
        if self.data[:4] != b'\x7fELF' or self.data[4] != 1:
            raise SystemExit(f'{path}: not an ELF32 file')
        self.end = '<' if self.data[5] == 1 else '>'
        (self.phoff, self.shoff, _, _, self.phentsize, self.phnum, self.shentsize,
         self.shnum, _) = struct.unpack_from(self.end + 'IIIHHHHHH', self.data, 28)

    def word(self, address):
        """The 32-bit word at an address of a loaded segment."""
        for i in range(self.phnum):
            (kind, offset, vaddr, _, filesz, _, _, _) = struct.unpack_from(
                self.end + 'IIIIIIII', self.data, self.phoff + i * self.phentsize)
            if kind == 1 and vaddr <= address and address + 4 <= vaddr + filesz:
                return struct.unpack_from(self.end + 'I', self.data, offset + address - vaddr)[0]
        raise SystemExit(f'no loaded contents at 0x{address:08x}')

    def sections(self):
        for i in range(self.shnum):
            yield struct.unpack_from(self.end + 'IIIIIIIIII', self.data, self.shoff + i * self.shentsize)

    def symbols(self):
        """(name, value, size, type) of every symbol of the symbol table."""
        headers = list(self.sections())
        for header in headers:
            if header[1] != 2:  # SHT_SYMTAB
                continue
            strings = headers[header[6]][4]
            for offset in range(header[4], header[4] + header[5], 16):
                name, value, size, info = struct.unpack_from(self.end + 'IIIB', self.data, offset)
                end = self.data.index(b'\0', strings + name)
                yield self.data[strings + name:end].decode(), value, size, info & 0xF


def prel31(word, place):
    offset = word & 0x7FFFFFFF
    if offset & 0x40000000:
        offset -= 0x80000000
    return (place + offset) & 0xFFFFFFFF


def covering_entry(entries, address):
    """The entry whose range holds an address (the last one at or below it)."""
    covering = [entry for entry in entries if entry[0] & ~1 <= address]
    return covering[-1] if covering else None


def main():
    parser = argparse.ArgumentParser(usage=__doc__)
    parser.add_argument('image')
    parser.add_argument('--unwinds', nargs='*', default=[])
    parser.add_argument('--cannot-unwind', nargs='*', default=[])
    args = parser.parse_args()
    image = Image(args.image)
    symbols = {name: (value, size, kind) for name, value, size, kind in image.symbols()}
    if '__exidx_start' not in symbols or '__exidx_end' not in symbols:
        raise SystemExit('the image defines no __exidx_start and __exidx_end')
    start, end = symbols['__exidx_start'][0], symbols['__exidx_end'][0]
    if end <= start or (end - start) % 8:
        raise SystemExit(f'exception index 0x{start:08x}-0x{end:08x} is not a whole number of entries')
    extab = [(s[3], s[3] + s[5]) for s in image.sections() if s[2] & 2 and s[1] == 1]  # SHF_ALLOC PROGBITS
    failures = []
    entries = []
    for place in range(start, end, 8):
        first, second = image.word(place), image.word(place + 4)
        function = prel31(first, place)
        if first & 0x80000000:
            failures.append(f'entry at 0x{place:08x}: word 0 has bit 31 set')
        if entries and function <= entries[-1][0]:
            failures.append(f'entry at 0x{place:08x} covers 0x{function:08x}, '
                            f'not above the entry before it (0x{entries[-1][0]:08x})')
        if second != EXIDX_CANTUNWIND and not second & 0x80000000:
            data = prel31(second, place + 4)
            if not any(low <= data < high for low, high in extab):
                failures.append(f'entry at 0x{place:08x}: unwinding data at 0x{data:08x} is not in the image')
        entries.append((function, second))
    if entries[-1][1] != EXIDX_CANTUNWIND:
        failures.append('the last entry does not close the table with cannot-unwind')
    for name, unwinds in [(name, True) for name in args.unwinds] + [(name, False) for name in args.cannot_unwind]:
        if name not in symbols:
            failures.append(f'no function {name}')
            continue
        address = symbols[name][0] & ~1
        # Below the first entry the unwinder finds nothing, which stops it
        # as a cannot-unwind entry would.
        entry = covering_entry(entries, address) or (0, EXIDX_CANTUNWIND)
        if (entry[1] != EXIDX_CANTUNWIND) != unwinds:
            failures.append(f'{name} (0x{address:08x}) is not covered by an entry that '
                            f'{"unwinds" if unwinds else "says cannot unwind"}')
    for failure in failures[:10]:
        print(f'exception index: {failure}')
    if len(failures) > 10:
        print(f'exception index: {len(failures) - 10} more faults')
    if failures:
        sys.exit(1)


if __name__ == '__main__':
    main()
