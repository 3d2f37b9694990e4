#!/usr/bin/env python3
"""Write an ar archive member by member, with a symbol lookup table whose
contents the test chooses, so that good and bad tables can be made.

usage: mkar.py OUT [options] MEMBER...

MEMBER is NAME=FILE: the member NAME holds the bytes of FILE. A NAME longer
than 15 characters goes into a "//" long-name table and the header holds
"/" and its offset in that table.

options:
  --sym NAME:K          a lookup table entry: NAME is defined by member K
                        (counting from 0 in command-line order); repeatable,
                        kept in the order given
  --table-last          write the lookup table after the members
  --bad-offset K        entry K gets an offset beyond the end of the archive
  --unterminated        the last name of the table lacks its zero byte
  --table-bytes HEX     the lookup table holds exactly these bytes
  --no-long-table       long names are written as "/" and an offset, but
                        no "//" table is written
"""
import sys


def header(name, size):
    text = "%-16s%-12s%-6s%-6s%-8s%-10d`\n" % (name, "0", "0", "0", "644", size)
    assert len(text) == 60
    return text.encode("latin-1")


def pad(data):
    return data + b"\n" if len(data) % 2 else data


def main():
    args = sys.argv[1:]
    out = args.pop(0)
    syms, members = [], []
    table_last = unterminated = no_long_table = False
    bad_offset, table_bytes = None, None
    while args:
        a = args.pop(0)
        if a == "--sym":
            name, _, k = args.pop(0).rpartition(":")
            syms.append((name, int(k)))
        elif a == "--table-last":
            table_last = True
        elif a == "--bad-offset":
            bad_offset = int(args.pop(0))
        elif a == "--unterminated":
            unterminated = True
        elif a == "--table-bytes":
            table_bytes = bytes.fromhex(args.pop(0))
        elif a == "--no-long-table":
            no_long_table = True
        else:
            name, _, path = a.partition("=")
            with open(path, "rb") as f:
                members.append((name, f.read()))

    # Long-name table and the header names.
    longtab = b""
    names = []
    for name, _ in members:
        if len(name) > 15:
            names.append("/%d" % len(longtab))
            longtab += name.encode("latin-1") + b"/\n"
        else:
            names.append(name + "/")
    if no_long_table:
        longtab = b""

    def table(offsets):
        if table_bytes is not None:
            return table_bytes
        data = len(syms).to_bytes(4, "big")
        for off in offsets:
            data += off.to_bytes(4, "big")
        strings = b"".join(n.encode("latin-1") + b"\0" for n, _ in syms)
        if unterminated:
            strings = strings[:-1]
        return data + strings

    have_table = bool(syms) or table_bytes is not None
    table_size = len(table([0] * len(syms))) if have_table else 0

    # Lay out: magic, [table], [long names], members, [table].
    pos = 8
    if have_table and not table_last:
        pos += 60 + len(pad(b"\0" * table_size))
    if longtab:
        pos += 60 + len(pad(longtab))
    starts = []
    for (_, data) in members:
        starts.append(pos)
        pos += 60 + len(pad(data))
    end = pos + (60 + len(pad(b"\0" * table_size)) if have_table and table_last else 0)

    offsets = [starts[k] for _, k in syms]
    if bad_offset is not None:
        offsets[bad_offset] = end + 0x1000
    tab = table(offsets)

    blob = b"!<arch>\n"
    tab_member = header("/", len(tab)) + pad(tab) if have_table else b""
    if not table_last:
        blob += tab_member
    if longtab:
        blob += header("//", len(longtab)) + pad(longtab)
    for name, (_, data) in zip(names, members):
        blob += header(name, len(data)) + pad(data)
    if table_last:
        blob += tab_member
    assert len(blob) == end, (len(blob), end)
    with open(out, "wb") as f:
        f.write(blob)


if __name__ == "__main__":
    main()
