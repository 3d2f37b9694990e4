#!/usr/bin/env python3
"""Patch fields of an ELF32 relocatable object in place, for tests that need
malformed or unusual inputs. Every location is found through the ELF header
and the section table, so the edits do not depend on the assembler's layout.

usage: elfpatch.py FILE EDIT...

An EDIT is FIELD=VALUE where FIELD is one of
  ident[N]                    byte N of e_ident
  e_type, e_machine, ...      a field of the ELF header
  SECTION.sh_type, ...        a field of the header of the named section
  SYMBOL.st_info, ...         a field of the named symbol (st_name, st_value,
                              st_size, st_info, st_other, st_shndx)
  SECTION.rel[N].r_sym        the symbol index of entry N of the named REL or
  SECTION.rel[N].r_type       RELA section, or its relocation type
  SECTION.word[N]             the 32-bit word N of the section's contents
VALUE, and N in brackets, are Python expressions over numbers, nsyms (the
symbol count), nsecs (the section count), sec(NAME) (the index of a
section), sym(NAME) (the index of a symbol) and size(NAME) (the size of a
section).

  elfpatch.py FILE --print EXPR   prints the value of EXPR instead.

Fields are written in the byte order of the file as it was read. Every
location and value is worked out before the first edit is made.
"""
import re
import struct
import sys

EHDR = {  # name: (offset, size)
    "e_type": (16, 2), "e_machine": (18, 2), "e_version": (20, 4),
    "e_entry": (24, 4), "e_phoff": (28, 4), "e_shoff": (32, 4),
    "e_flags": (36, 4), "e_ehsize": (40, 2), "e_phentsize": (42, 2),
    "e_phnum": (44, 2), "e_shentsize": (46, 2), "e_shnum": (48, 2),
    "e_shstrndx": (50, 2),
}
SHDR = ["sh_name", "sh_type", "sh_flags", "sh_addr", "sh_offset", "sh_size",
        "sh_link", "sh_info", "sh_addralign", "sh_entsize"]
SYM = {"st_name": (0, 4), "st_value": (4, 4), "st_size": (8, 4),
       "st_info": (12, 1), "st_other": (13, 1), "st_shndx": (14, 2)}


class Elf:
    def __init__(self, data):
        self.data = data
        self.bo = ">" if data[5] == 2 else "<"
        self.shoff = self.get(32, 4)
        count = self.get(48, 2)
        if count == 0:
            count = self.shdr(0)["sh_size"]
        self.count = count
        shstrndx = self.get(50, 2)
        if shstrndx == 0xFFFF:
            shstrndx = self.shdr(0)["sh_link"]
        strtab = self.shdr(shstrndx)
        self.names = [self.cstr(strtab["sh_offset"] + self.shdr(i)["sh_name"])
                      for i in range(count)]
        self.symtab = next(i for i in range(count)
                           if self.shdr(i)["sh_type"] == 2)
        sh = self.shdr(self.symtab)
        self.nsyms = sh["sh_size"] // 16
        strs = self.shdr(sh["sh_link"])["sh_offset"]
        self.symnames = [self.cstr(strs + self.get(sh["sh_offset"] + 16 * i, 4))
                         for i in range(self.nsyms)]

    def get(self, off, size):
        fmt = {1: "B", 2: "H", 4: "I"}[size]
        return struct.unpack_from(self.bo + fmt, self.data, off)[0]

    def put(self, off, size, value):
        fmt = {1: "B", 2: "H", 4: "I"}[size]
        struct.pack_into(self.bo + fmt, self.data, off, value & ((1 << 8 * size) - 1))

    def cstr(self, off):
        end = self.data.index(b"\0", off)
        return self.data[off:end].decode("latin-1")

    def shdr_off(self, index):
        return self.shoff + 40 * index

    def shdr(self, index):
        base = self.shdr_off(index)
        return {n: self.get(base + 4 * k, 4) for k, n in enumerate(SHDR)}

    def section(self, name):
        hits = [i for i, n in enumerate(self.names) if n == name]
        if len(hits) != 1:
            sys.exit("elfpatch: %d sections named %r" % (len(hits), name))
        return hits[0]

    def symbol(self, name):
        hits = [i for i, n in enumerate(self.symnames) if n == name]
        if len(hits) != 1:
            sys.exit("elfpatch: %d symbols named %r" % (len(hits), name))
        return hits[0]

    def value(self, text):
        names = {
            "nsyms": self.nsyms, "nsecs": self.count,
            "sec": self.section, "sym": self.symbol,
            "size": lambda name: self.shdr(self.section(name))["sh_size"],
        }
        return int(eval(text, {"__builtins__": {}}, names))

    def locate(self, field):
        """Offset and size of a field."""
        m = re.fullmatch(r"ident\[(\d+)\]", field)
        if m:
            return int(m.group(1)), 1
        if field in EHDR:
            return EHDR[field]
        obj, _, rest = field.rpartition(".")
        if rest in SHDR:
            return self.shdr_off(self.section(obj)) + 4 * SHDR.index(rest), 4
        if rest in SYM:
            sh = self.shdr(self.symtab)
            off, size = SYM[rest]
            return sh["sh_offset"] + 16 * self.symbol(obj) + off, size
        m = re.fullmatch(r"(.*?)\.rel\[(.*)\]\.(r_sym|r_type)", field)
        if m:
            sh = self.shdr(self.section(m.group(1)))
            entsize = 12 if sh["sh_type"] == 4 else 8
            off = sh["sh_offset"] + entsize * self.value(m.group(2)) + 4
            return off, m.group(3)
        m = re.fullmatch(r"(.*?)\.word\[(.*)\]", field)
        if m:
            sh = self.shdr(self.section(m.group(1)))
            return sh["sh_offset"] + 4 * self.value(m.group(2)), 4
        sys.exit("elfpatch: unknown field %r" % field)


def main():
    path, edits = sys.argv[1], sys.argv[2:]
    with open(path, "rb") as f:
        elf = Elf(bytearray(f.read()))
    if edits[:1] == ["--print"]:
        print(elf.value(edits[1]))
        return
    plan = []
    for edit in edits:
        field, _, text = edit.partition("=")
        plan.append(elf.locate(field) + (elf.value(text),))
    for off, size, value in plan:
        if size == "r_sym":
            info = elf.get(off, 4)
            elf.put(off, 4, (value << 8) | (info & 0xFF))
        elif size == "r_type":
            info = elf.get(off, 4)
            elf.put(off, 4, (info & ~0xFF) | (value & 0xFF))
        else:
            elf.put(off, size, value)
    with open(path, "wb") as f:
        f.write(elf.data)


if __name__ == "__main__":
    main()
