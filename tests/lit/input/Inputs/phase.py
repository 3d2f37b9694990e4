#!/usr/bin/env python3
"""Print the lines that a log holds under one phase headline.

usage: phase.py LOG NAME [N]

Prints the lines between the N-th box (counting from 1, default 1) whose
title is NAME and the next box, without the blank line that follows a box
and the two blank lines that open the next one. Exits with status 1 when
there is no such box.
"""
import sys

STARS = "*" * 87


def main():
    path, name = sys.argv[1], sys.argv[2]
    want = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    with open(path, encoding="latin-1") as f:
        lines = f.read().split("\n")
    boxes = [i for i in range(len(lines) - 4)
             if lines[i] == STARS and lines[i + 4] == STARS]
    seen = 0
    for k, i in enumerate(boxes):
        title = lines[i + 2][3:-3].strip()
        if title != name:
            continue
        seen += 1
        if seen != want:
            continue
        start = i + 6
        end = boxes[k + 1] - 2 if k + 1 < len(boxes) else len(lines) - 1
        for line in lines[start:end]:
            print(line)
        return 0
    return 1


if __name__ == "__main__":
    sys.exit(main())
