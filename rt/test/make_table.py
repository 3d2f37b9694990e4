#!/usr/bin/env python3
"""Writes an assembly file with a hand-made initialization table, for the
run-time library's test before the linker writes tables of its own.

The table fills a RAM area with 0xA5 through the fill routine, then zeroes,
copies and unpacks LZSS, PackBits and ZPAK data into parts of it, at odd
addresses and sizes, and calls one Thumb and (where the core has Arm state)
one Arm function. The expected contents of the whole area go along, so the
program can check every byte, including the 0xA5 bytes that no routine may
touch. A third function uses the fill routine itself, on a parameter block
of its own, and the walk must still go on at the next word. The packed
streams come from the small encoders below, written from
the stream formats; each is decoded again here before it is used, and the
data is shaped so that the streams hold the corner cases of each format.

usage: make_table.py OUTPUT.S [--arm-call]
"""
import random
import sys

AREA = 1024
FILL = 0xA5


def lzss(data):
    out, literals, i = bytearray(), bytearray(), 0

    def flush():
        for start in range(0, len(literals), 127):
            run = literals[start:start + 127]
            out.append(len(run))
            out.extend(run)
        literals.clear()

    while i < len(data):
        best, best_distance = 0, 0
        for distance in range(1, min(i, 32767) + 1):
            length = 0
            while length < 127 and i + length < len(data) and data[i + length - distance] == data[i + length]:
                length += 1
            if length > best:
                best, best_distance = length, distance
        if best >= 4:
            flush()
            out.append(0x80 + best)
            if best_distance <= 126:
                out.append(best_distance)
            else:
                out.extend((0x80 | best_distance >> 8, best_distance & 0xFF))
            i += best
        else:
            literals.append(data[i])
            i += 1
    flush()
    out.append(0)
    return bytes(out)


def unlzss(stream):
    out, i = bytearray(), 0
    while stream[i]:
        k = stream[i]
        i += 1
        if k < 0x80:
            out.extend(stream[i:i + k])
            i += k
            continue
        distance = stream[i]
        i += 1
        if distance & 0x80:
            distance = (distance & 0x7F) << 8 | stream[i]
            i += 1
        for _ in range(k - 0x80):
            out.append(out[-distance])
    return bytes(out)


def packbits(data):
    out, i = bytearray(), 0
    while i < len(data):
        run = 1
        while i + run < len(data) and run < 128 and data[i + run] == data[i]:
            run += 1
        if run >= 2:
            out.extend((256 + 1 - run, data[i]))
            i += run
            continue
        start = i
        while i < len(data) and i - start < 128 and (i + 1 >= len(data) or data[i + 1] != data[i]):
            i += 1
        if i == start:
            i += 1
        out.append(i - start - 1)
        out.extend(data[start:i])
    out.append(0x80)
    return bytes(out)


def unpackbits(stream):
    out, i = bytearray(), 0
    while stream[i] != 0x80:
        h = stream[i] - 256 if stream[i] > 127 else stream[i]
        i += 1
        if h >= 0:
            out.extend(stream[i:i + h + 1])
            i += h + 1
        else:
            out.extend(bytes([stream[i]]) * (1 - h))
            i += 1
    return bytes(out)


def zpak(data):
    out = bytearray()
    for group in range(0, len(data), 8):
        flags, chunk = 0, bytearray()
        for bit, byte in enumerate(data[group:group + 8]):
            if byte:
                chunk.append(byte)
            else:
                flags |= 1 << bit
        out.append(flags)
        out.extend(chunk)
    return bytes(out)


def unzpak(stream, size):
    out, i = bytearray(), 0
    while len(out) < size:
        flags = stream[i]
        i += 1
        for bit in range(8):
            if len(out) == size:
                break
            if flags >> bit & 1:
                out.append(0)
            else:
                out.append(stream[i])
                i += 1
    return bytes(out)


def nonzero(rng, n):
    return bytes(rng.randrange(1, 256) for _ in range(n))


def main():
    rng = random.Random(7)
    # 200 distinct bytes (literal runs of 127 and 73), the same bytes again
    # at distance 200 (two-byte distance, a match of 127), a run of one
    # byte (distance 1, overlapping), and copies at distances 126 and 127.
    head = nonzero(rng, 200)
    lz_data = head + head[:150] + b"\x33" * 40 + nonzero(rng, 10)
    lz_data += lz_data[-126:-120]
    lz_data += nonzero(rng, 3)
    lz_data += lz_data[-127:-121]
    lz_stream = lzss(lz_data)
    assert unlzss(lz_stream) == lz_data
    for token in (b"\x7f", b"\xff\x80\xc8", b"\xa7\x01", b"\x86\x7e", b"\x86\x80\x7f"):
        assert token in lz_stream, token

    # A run longer than 128, a stretch of more than 128 distinct bytes,
    # a pair, single bytes.
    pb_data = b"\x44" * 130 + nonzero(rng, 131) + b"\x99\x99" + b"\x12\x34"
    pb_stream = packbits(pb_data)
    assert unpackbits(pb_stream) == pb_data

    # 61 bytes: whole groups of zeros and of data, a mixed group, and a
    # short last group.
    zp_data = bytes(8) + nonzero(rng, 8) + bytes(rng.choice((0, rng.randrange(1, 256))) for _ in range(45))
    zp_stream = zpak(zp_data)
    assert unzpak(zp_stream, len(zp_data)) == zp_data

    copy_data = nonzero(rng, 23)

    # Each part of the area: offset, data; the routine writes exactly it.
    parts = [("zero", 3, bytes(37)), ("copy", 45, copy_data), ("lzss", 71, lz_data),
             ("pack", 71 + len(lz_data) + 5, pb_data)]
    parts.append(("zpak", parts[-1][1] + len(pb_data) + 2, zp_data))
    expected = bytearray([FILL]) * AREA
    for _, offset, data in parts:
        assert offset + len(data) <= AREA - 4
        expected[offset:offset + len(data)] = data
    streams = {"lzss": lz_stream, "pack": pb_stream, "zpak": zp_stream, "copy": copy_data}

    lines = ["/* Written by make_table.py. */", "    .syntax unified",
             "    .section .rodata.test_table, \"a\", %progbits", "    .p2align 2",
             "    .global __TANREK_init_table__", "__TANREK_init_table__:",
             f"    .word __TANREK_init_fill, test_area, {AREA}, 0x3C{FILL:02X}",
             "    .word __TANREK_init_zero, __bss_start__, __bss_size__",
             "    .word __TANREK_init_copy, __data_start__, __data_load__, __data_size__"]
    for name, offset, data in parts:
        words = [f"__TANREK_init_{name}", f"test_area + {offset}"]
        if name == "copy":
            words.append(f"stream_{name}")
        if name in ("lzss", "pack", "zpak"):
            words.append(f"stream_{name}")
        if name in ("zero", "copy", "zpak"):
            words.append(str(len(data)))
        lines.append("    .word " + ", ".join(words))
    lines.append("    .word call_thumb")
    if "--arm-call" in sys.argv[2:]:
        lines.append("    .word call_arm")
    lines.append("    .word call_with_fill")
    # The walk must stop at the end marker: the word after it would crash.
    lines += ["    .word __TANREK_init_done", "    .word 0xFFFFFFFF",
              "    .section .rodata.test_data, \"a\", %progbits", "    .global __TANREK_init_data__",
              "__TANREK_init_data__:"]
    for name, stream in streams.items():
        lines.append(f"stream_{name}:")
        lines += ["    .byte " + ", ".join(str(b) for b in stream[i:i + 16]) for i in range(0, len(stream), 16)]
    lines += ["    .section .rodata.test_expected, \"a\", %progbits", "    .global test_expected",
              "test_expected:"]
    lines += ["    .byte " + ", ".join(str(b) for b in expected[i:i + 16]) for i in range(0, AREA, 16)]
    lines += ["    .section .noinit.test_area, \"aw\", %nobits", "    .p2align 2", "    .global test_area",
              "test_area:", f"    .space {AREA}", "    .global test_area_end", "test_area_end:", ""]
    with open(sys.argv[1], "w") as out:
        out.write("\n".join(lines))


main()
