#!/usr/bin/env python3
"""Writes the hand-made seeds of the reader fuzzer into fuzz/corpus/.

Every seed is one option byte (see reader_harness.h) followed by a file:
objects and archives built from fuzz/seeds/ with the Arm GNU toolchain,
small objects built here byte by byte (RELA relocations, extended section
indexes, the section count in section header 0), and copies of them broken
in one place each.

Seeds named "ok-*" must be read to the end and seeds named "bad-*" must be
refused with a fatal error; the corpus replay test checks both. Inputs the
fuzzer adds have other names and only must not crash.

Usage: fuzz/make_seeds.py [OUTPUT_DIR]   (default: fuzz/corpus)
Needs arm-none-eabi-as, arm-none-eabi-gcc and arm-none-eabi-ar.
"""

import os
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SEEDS = os.path.join(HERE, "seeds")

# Option bits of the first byte.
BIG_ENDIAN = 0x01
LAZY_ARCHIVES = 0x02
NO_UNWIND = 0x04
STACK_SIZES = 0x08
VERBOSITY_2 = 0x10
VERBOSITY_3 = 0x20
WRAP = 0x30  # verbosity 1, first names wrapped
LOG = 0x40
PLAIN_NAMES = 0x80

SHT_PROGBITS, SHT_SYMTAB, SHT_STRTAB, SHT_RELA, SHT_NOBITS = 1, 2, 3, 4, 8
SHT_SYMTAB_SHNDX = 18
SHN_ABS, SHN_COMMON, SHN_XINDEX = 0xFFF1, 0xFFF2, 0xFFFF


# ---------------------------------------------------------------------------
# Building with the toolchain

def run(*args):
    subprocess.run(args, check=True)


def assemble(work, source, big=False, name=None):
    out = os.path.join(work, (name or os.path.splitext(source)[0]) + (".be.o" if big else ".o"))
    run("arm-none-eabi-as", *(["-EB"] if big else []), "-o", out, os.path.join(SEEDS, source))
    return out


def compile_c(work, source, big=False):
    out = os.path.join(work, os.path.splitext(source)[0] + (".be.o" if big else ".o"))
    run("arm-none-eabi-gcc", "-c", "-O1", "-fexceptions", "-mcpu=cortex-m3", "-mthumb",
        *(["-mbig-endian"] if big else []), "-o", out, os.path.join(SEEDS, source))
    return out


def archive(work, name, members):
    out = os.path.join(work, name)
    if os.path.exists(out):
        os.remove(out)
    run("arm-none-eabi-ar", "rcs", out, *members)
    return out


def read(path):
    with open(path, "rb") as f:
        return bytearray(f.read())


# ---------------------------------------------------------------------------
# Reading and patching ELF files in either byte order

class Elf:
    def __init__(self, data):
        self.data = bytearray(data)
        self.e = ">" if self.data[5] == 2 else "<"

    def get(self, fmt, offset):
        return struct.unpack_from(self.e + fmt, self.data, offset)[0]

    def put(self, fmt, offset, value):
        struct.pack_into(self.e + fmt, self.data, offset, value)

    # ELF header fields: (format, offset)
    FIELDS = {"e_type": ("H", 16), "e_machine": ("H", 18), "e_shoff": ("I", 32), "e_shentsize": ("H", 46),
              "e_shnum": ("H", 48), "e_shstrndx": ("H", 50)}
    SECTION = ["sh_name", "sh_type", "sh_flags", "sh_addr", "sh_offset", "sh_size", "sh_link", "sh_info",
               "sh_addralign", "sh_entsize"]

    def header(self, field):
        fmt, offset = self.FIELDS[field]
        return self.get(fmt, offset)

    def set_header(self, field, value):
        fmt, offset = self.FIELDS[field]
        self.put(fmt, offset, value)

    def section_offset(self, index, field):
        return self.header("e_shoff") + 40 * index + 4 * self.SECTION.index(field)

    def section(self, index, field):
        return self.get("I", self.section_offset(index, field))

    def set_section(self, index, field, value):
        self.put("I", self.section_offset(index, field), value)

    def name(self, index):
        table = self.header("e_shstrndx")
        start = self.section(table, "sh_offset") + self.section(index, "sh_name")
        return bytes(self.data[start:self.data.index(0, start)]).decode()

    def find(self, name):
        for i in range(self.header("e_shnum")):
            if self.name(i) == name:
                return i
        raise KeyError(name)

    def find_type(self, sh_type):
        return [i for i in range(self.header("e_shnum")) if self.section(i, "sh_type") == sh_type]

    def symbol_offset(self, index, field):
        symtab = self.find_type(SHT_SYMTAB)[0]
        base = self.section(symtab, "sh_offset") + 16 * index
        return base + {"st_name": 0, "st_value": 4, "st_size": 8, "st_info": 12, "st_shndx": 14}[field]

    def symbol_named(self, wanted):
        symtab = self.find_type(SHT_SYMTAB)[0]
        strtab = self.section(symtab, "sh_link")
        strings = self.section(strtab, "sh_offset")
        for i in range(self.section(symtab, "sh_size") // 16):
            start = strings + self.get("I", self.symbol_offset(i, "st_name"))
            if bytes(self.data[start:self.data.index(0, start)]).decode() == wanted:
                return i
        raise KeyError(wanted)


# ---------------------------------------------------------------------------
# Objects built byte by byte

def mini_object(big=False, rela=True, index_table=True, count_in_header0=True, table_entries=None):
    """An object whose symbols all use extended section indexes, with RELA
    relocations; the section count and the name table index live in
    section header 0."""
    e = ">" if big else "<"
    text = struct.pack(e + "III", 0xE12FFF1E, 0xEBFFFFFE, 0)  # bx lr; bl; literal
    strtab = b"\0mini_entry\0mini_target\0mini_common\0mini_abs\0"
    def at(name):
        return strtab.index(name.encode() + b"\0")
    # (name, value, size, info, shndx, real index)
    symbols = [
        (0, 0, 0, 0x00, 0, 0),
        (0, 0, 0, 0x03, SHN_XINDEX, 1),                       # section .text
        (at("mini_entry"), 0, 8, 0x12, SHN_XINDEX, 1),       # global function
        (at("mini_target"), 0, 0, 0x10, 0, 0),               # global undefined
        (at("mini_common"), 4, 8, 0x11, SHN_COMMON, 0),      # common, alignment 4
        (at("mini_abs"), 0x1234, 0, 0x10, SHN_ABS, 0),       # absolute
    ]
    symtab = b"".join(struct.pack(e + "IIIBBH", n, v, s, i, 0, x) for n, v, s, i, x, _ in symbols)
    entries = [real for *_, real in symbols][:table_entries] if table_entries else [real for *_, real in symbols]
    shndx = b"".join(struct.pack(e + "I", real) for real in entries)
    if rela:
        relocations = struct.pack(e + "IIi", 4, (3 << 8) | 28, -8) + struct.pack(e + "IIi", 8, (2 << 8) | 2, 4)
    else:
        relocations = struct.pack(e + "II", 4, (3 << 8) | 28) + struct.pack(e + "II", 8, (2 << 8) | 2)
    # (name, type, flags, data, link, info, align, entsize)
    sections = [
        (".text", SHT_PROGBITS, 6, text, 0, 0, 4, 0),
        (".symtab", SHT_SYMTAB, 0, symtab, 3, 2, 4, 16),
        (".strtab", SHT_STRTAB, 0, strtab, 0, 0, 1, 0),
        (".rela.text" if rela else ".rel.text", SHT_RELA if rela else 9, 0x40, relocations, 2, 1, 4,
         12 if rela else 8),
    ]
    if index_table:
        sections.append((".symtab_shndx", SHT_SYMTAB_SHNDX, 0, shndx, 2, 0, 4, 4))
    sections.append((".shstrtab", SHT_STRTAB, 0, None, 0, 0, 1, 0))
    names = b"\0" + b"".join(s[0].encode() + b"\0" for s in sections)
    body = bytearray()
    headers = []
    count = len(sections) + 1
    shstrndx = count - 1
    headers.append((0, 0, 0, 0, 0, count if count_in_header0 else 0, shstrndx if count_in_header0 else 0, 0, 0, 0))
    for name, sh_type, flags, data, link, info, align, entsize in sections:
        data = names if data is None else data
        while len(body) % 4:
            body.append(0)
        offset = 52 + len(body)
        body += data
        headers.append((names.index(name.encode() + b"\0"), sh_type, flags, 0, offset, len(data), link, info,
                        align, entsize))
    while len(body) % 4:
        body.append(0)
    shoff = 52 + len(body)
    ident = b"\x7fELF" + bytes([1, 2 if big else 1, 1]) + bytes(9)
    header = ident + struct.pack(e + "HHIIIIIHHHHHH", 1, 40, 1, 0, 0, shoff, 0x05000000, 52, 0, 0, 40,
                                 0 if count_in_header0 else count, 0xFFFF if count_in_header0 else shstrndx)
    table = b"".join(struct.pack(e + "10I", *h) for h in headers)
    return bytearray(header + body + table)


# ---------------------------------------------------------------------------

def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "corpus")
    os.makedirs(out_dir, exist_ok=True)
    seeds = {}

    def seed(name, options, data):
        seeds[name] = bytes([options]) + bytes(data)

    def broken(name, options, data, patch):
        elf = Elf(data)
        patch(elf)
        seed(name, options, elf.data)

    with tempfile.TemporaryDirectory() as work:
        code, code_be = assemble(work, "code.s"), assemble(work, "code.s", big=True)
        data, data_be = assemble(work, "data.s"), assemble(work, "data.s", big=True)
        stack, stack_be = assemble(work, "stack.s"), assemble(work, "stack.s", big=True)
        exc = compile_c(work, "exceptions.c")
        member_a, member_a_be = assemble(work, "member_a.s"), assemble(work, "member_a.s", big=True)
        member_b, member_b_be = assemble(work, "member_b.s"), assemble(work, "member_b.s", big=True)
        # A member name longer than 15 characters goes to the "//" table.
        long_a = os.path.join(work, "library_member_with_a_long_name.o")
        long_a_be = os.path.join(work, "library_member_with_a_long_name_be.o")
        os.rename(member_a, long_a)
        os.rename(member_a_be, long_a_be)
        notes = os.path.join(work, "notes.txt")
        with open(notes, "w") as f:
            f.write("odd-sized member\n")  # 17 bytes: padded to an even size
        lib = read(archive(work, "lib.a", [long_a, member_b, notes]))
        lib_be = read(archive(work, "lib_be.a", [long_a_be, member_b_be]))

        # Objects and archives that must be read to the end.
        seed("ok-le-code.o", 0, read(code))
        seed("ok-le-code-no-unwind.o", NO_UNWIND, read(code))
        seed("ok-le-code-verbose-log.o", VERBOSITY_3 | LOG, read(code))
        seed("ok-be-code.o", BIG_ENDIAN | VERBOSITY_2, read(code_be))
        seed("ok-le-data.o", VERBOSITY_2 | LOG, read(data))
        seed("ok-be-data.o", BIG_ENDIAN | PLAIN_NAMES, read(data_be))
        seed("ok-le-stack-sizes.o", STACK_SIZES, read(stack))
        seed("ok-be-stack-sizes.o", BIG_ENDIAN | STACK_SIZES | LOG, read(stack_be))
        seed("ok-le-exceptions.o", 0, read(exc))
        seed("ok-le-wrap.o", WRAP, read(code))
        seed("ok-le-rela-xindex.o", 0, mini_object())
        seed("ok-be-rela-xindex.o", BIG_ENDIAN | VERBOSITY_3 | LOG, mini_object(big=True))
        seed("ok-le-rel-plain-count.o", 0, mini_object(rela=False, count_in_header0=False))
        seed("ok-lib.a", 0, lib)
        seed("ok-lib-lazy.a", LAZY_ARCHIVES | LOG, lib)
        seed("ok-lib-lazy-wrap.a", LAZY_ARCHIVES | WRAP, lib)
        seed("ok-be-lib-lazy.a", BIG_ENDIAN | LAZY_ARCHIVES | VERBOSITY_3, lib_be)
        seed("ok-not-a-link-input.txt", 0, b"neither an object nor an archive\n")
        seed("ok-empty-archive.a", 0, b"!<arch>\n")

        # Broken in one place each: every one must end in a fatal error.
        obj = read(code)
        seed("bad-truncated-header.o", 0, obj[:40])
        seed("bad-byte-order.o", 0, read(code_be))
        broken("bad-class.o", 0, obj, lambda e: e.data.__setitem__(4, 2))
        broken("bad-type.o", 0, obj, lambda e: e.set_header("e_type", 2))
        broken("bad-machine.o", 0, obj, lambda e: e.set_header("e_machine", 3))
        broken("bad-shentsize.o", 0, obj, lambda e: e.set_header("e_shentsize", 32))
        broken("bad-shoff-past-end.o", 0, obj, lambda e: e.set_header("e_shoff", len(obj) - 16))
        broken("bad-shstrndx.o", 0, obj, lambda e: e.set_header("e_shstrndx", 0x7000))
        broken("bad-section-past-end.o", 0, obj,
               lambda e: e.set_section(e.find(".text.start"), "sh_offset", 0xFFFFFF00))
        broken("bad-section-name.o", 0, obj, lambda e: e.set_section(e.find(".text.helper"), "sh_name", 0x10000))
        broken("bad-no-symtab.o", 0, obj, lambda e: e.set_section(e.find(".symtab"), "sh_type", SHT_PROGBITS))
        broken("bad-two-symtabs.o", 0, obj, lambda e: e.set_section(e.find(".shstrtab"), "sh_type", SHT_SYMTAB))
        broken("bad-symtab-entsize.o", 0, obj, lambda e: e.set_section(e.find(".symtab"), "sh_entsize", 20))
        broken("bad-symtab-size.o", 0, obj,
               lambda e: e.set_section(e.find(".symtab"), "sh_size", e.section(e.find(".symtab"), "sh_size") - 4))
        broken("bad-symbol-name.o", 0, obj,
               lambda e: e.put("I", e.symbol_offset(e.symbol_named("helper"), "st_name"), 0x7FFFFFFF))

        def cut_strtab(e):
            strtab = e.find(".strtab")
            e.set_section(strtab, "sh_size", e.get("I", e.symbol_offset(e.symbol_named("external_object"), "st_name")) + 3)
        broken("bad-strtab-unterminated.o", 0, obj, cut_strtab)
        broken("bad-symbol-section.o", 0, obj,
               lambda e: e.put("H", e.symbol_offset(e.symbol_named("helper"), "st_shndx"), 0xFF00))
        broken("bad-symbol-binding.o", 0, obj,
               lambda e: e.data.__setitem__(e.symbol_offset(e.symbol_named("start"), "st_info"), 0x13))

        def bad_relocation_symbol(e):
            rel = e.find(".rel.text.start")
            at = e.section(rel, "sh_offset") + 4
            e.put("I", at, (0xFFFFFF << 8) | 10)
        broken("bad-relocation-symbol.o", 0, obj, bad_relocation_symbol)
        broken("bad-exidx-link.o", 0, obj,
               lambda e: e.set_section(e.find_type(0x70000001)[0], "sh_link", 0x7FFF))

        stack_obj = read(stack)
        broken("bad-stack-size-truncated.o", STACK_SIZES, stack_obj,
               lambda e: e.set_section(e.find(".stack_sizes"), "sh_size", 9))

        def stack_global(e):
            rel = e.find(".rel.stack_sizes")
            at = e.section(rel, "sh_offset") + 4
            e.put("I", at, (e.symbol_named("small_frame") << 8) | 2)
        broken("bad-stack-size-global.o", STACK_SIZES, stack_obj, stack_global)

        def null_section(name):
            def patch(e):
                index = e.find(name)
                e.set_section(index, "sh_type", 0)
                e.set_section(index, "sh_offset", 0x100000)
            return patch
        broken("bad-null-name-table.o", 0, obj, null_section(".shstrtab"))
        broken("bad-null-stack-sizes.o", STACK_SIZES, stack_obj, null_section(".stack_sizes"))

        seed("bad-xindex-no-table.o", 0, mini_object(index_table=False))
        seed("bad-xindex-count.o", 0, mini_object(table_entries=4))

        # Archives.
        seed("bad-archive-size.a", 0, lib[:8 + 48] + b"12x       " + lib[8 + 58:])
        seed("bad-archive-truncated.a", 0, lib[:len(lib) - 300])
        seed("bad-archive-header.a", 0, lib[:8 + 30])
        member_at = lib.index(b"\x7fELF")
        broken_lib = bytearray(lib)
        broken_lib[member_at + 18] = 3  # e_machine of the first member
        seed("bad-archive-member.a", 0, broken_lib)
        seed("bad-archive-lazy-member.a", LAZY_ARCHIVES, broken_lib)

    for name, content in sorted(seeds.items()):
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(content)
    print(f"{len(seeds)} seeds, {sum(map(len, seeds.values()))} bytes, in {out_dir}")


if __name__ == "__main__":
    main()
