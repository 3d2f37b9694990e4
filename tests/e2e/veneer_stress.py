#!/usr/bin/env python3
"""A generated program whose veneers push other calls out of range.

usage: veneer_stress.py generate DIR   writes stress.s and stress.icf into DIR
       veneer_stress.py check WORK     checks the link log WORK/link.log

Two Thumb sections, near and far, lie a 16 MiB gap apart in one block of
fixed order, so that every veneer appended to the near section moves the
far one up by 8 bytes. Functions in the near section call functions in
the far one, and functions in the far one call back, each call just
within the reach of a BL (+0xFFFFFE, -0x1000000) by a chosen slack. One
call from the near section into flash needs a veneer in the first
construction pass; each later pass makes the veneers of the calls whose
slack the previous passes used up (slack 8k - 4 runs out in pass k + 1),
and the calls with a slack of 8 (CHAIN + 1) or more, some of them ending
exactly at the limit, must keep their direct BL. The program sums the
results of all functions and compares the sum with the one computed here.

The check reads the log: the construction must make the chain's veneers
one pass after another and then stop, so each section's veneers appear
in the passes this model predicts, and no call gets one it does not need.
"""
import os
import re
import sys

CHAIN = 6           # calls in each direction that run out of range in turn
FORWARD = 34        # calls from the near section to the far one
BACKWARD = 16       # calls from the far section back to the near one
BASE = 0x20100000   # the block's address (mps2-an385: SSRAM, then PSRAM)
VENEER = 8          # a Thumb-2 LDR veneer
MAX_FORWARD = 0xFFFFFE
MIN_BACKWARD = -0x1000000


def slacks(count):
    """The chain's slacks (8k - 4) between ones that last to the end: 8
    (CHAIN + 1), exactly used up by the last pass, and a few bytes more."""
    chain = [VENEER * k - 4 for k in range(1, CHAIN + 1)]
    stable = [VENEER * (CHAIN + 1) + 2 * (m % 5) for m in range(count - CHAIN)]
    order = []
    for i in range(max(len(chain), len(stable))):
        order += stable[i:i + 1] + chain[i:i + 1]
    return order


class Layout:
    """Offsets of every function in both sections, and the gap between."""

    def __init__(self):
        # The near section starts with stress_run: a BL and an ADDS per
        # forward call and for stress_base, between a PUSH/MOVS and a
        # MOVS/POP.
        self.entry_size = 4 + 6 * (FORWARD + 1) + 4
        # c: the near offset minus the far offset that gives a forward BL
        # a slack of 0; it must be 2 mod 4 for the gap to be a multiple of 4.
        self.c = self.entry_size + (2 - self.entry_size) % 4
        self.near_end = self.entry_size
        self.far_end = 0
        self.forward = []   # (caller offset, site, callee offset, slack, value)
        self.backward = []  # (caller offset in far, site, callee in near, slack, value)
        self.hub_size = 4 + 6 * BACKWARD + 4
        for i, slack in enumerate(slacks(FORWARD)):
            size = self.hub_size if i == 0 else 4
            site = max(self.near_end + 2, self.far_end + slack + self.c)
            callee = site - slack - self.c
            self.forward.append((site - 2, site, callee, slack, (i * 37) % 200 + 5))
            self.near_end = site + 8
            self.far_end = callee + size
        for j, slack in enumerate(slacks(BACKWARD)):
            # A BL at far offset s reaching near offset t has the slack
            # t - s - c - 6 (the near section lies below the far one).
            start = max(self.far_end, self.near_end - self.c - 8 - slack)
            site = start + 2
            callee = site + slack + self.c + 6
            self.backward.append((start, site, callee, slack, (j * 53) % 250 + 3))
            self.far_end = start + 10
            self.near_end = callee + 4
        self.near_size = (self.near_end + 3) & ~3
        self.gap = self.c + MAX_FORWARD + 4 - self.near_size
        assert self.gap % 4 == 0 and self.gap > 0

    def expected_sum(self):
        hub = sum(value + 2 for _, _, _, _, value in self.backward)
        total = 1000  # stress_base
        for i, (_, _, _, _, value) in enumerate(self.forward):
            total += (hub if i == 0 else value) + 1
        return total & 0xFFFFFFFF

    def passes(self):
        """The construction passes as the linker must run them: the pass
        in which each call gets its veneer (None: never), and the number
        of passes including the last one, which makes no veneer."""
        shift = 0
        forward_pass = [None] * len(self.forward)
        backward_pass = [None] * len(self.backward)
        number = 0
        while True:
            number += 1
            near_veneers = 1 if number == 1 else 0  # stress_base, in flash
            made = number == 1
            far = BASE + self.near_size + shift + self.gap
            for i, (_, site, callee, _, _) in enumerate(self.forward):
                offset = far + callee - (BASE + site + 4)
                if forward_pass[i] is None and offset > MAX_FORWARD:
                    forward_pass[i] = number
                    near_veneers += 1
                    made = True
            for j, (_, site, callee, _, _) in enumerate(self.backward):
                offset = BASE + callee - (far + site + 4)
                if backward_pass[j] is None and offset < MIN_BACKWARD:
                    backward_pass[j] = number
                    made = True
            if not made:
                return forward_pass, backward_pass, number
            shift += VENEER * near_veneers


def function(out, name, section, offset=None, note=""):
    """Opens a Thumb function, at an offset of its section if given."""
    if offset is not None:
        out.append(f"    .org {offset}{note}")
    out.append(f"    .section {section}, \"ax\", %progbits")
    out.append(f"    .global {name}\n    .type {name}, %function\n    .thumb_func\n{name}:")


def summing(out, callees):
    """The body of a function that returns the sum of its callees' results."""
    out.append("    push {r4, lr}\n    movs r4, #0")
    out += [f"    bl {callee}\n    adds r4, r4, r0" for callee in callees]
    out.append("    movs r0, r4\n    pop {r4, pc}")


def calling(out, callee, add):
    """The body of a function that returns its callee's result plus add."""
    out.append(f"    push {{r4, lr}}\n    bl {callee}\n    adds r0, r0, #{add}\n    pop {{r4, pc}}")


def generate(directory):
    layout = Layout()
    near = ["    .section .text.stress_near, \"ax\", %progbits\n    .p2align 2"]
    far = ["    .section .text.stress_far, \"ax\", %progbits\n    .p2align 2"]
    function(near, "stress_run", ".text.stress_near")
    summing(near, ["stress_base"] + [f"near_{i}" for i in range(len(layout.forward))])
    for i, (start, _, callee, slack, value) in enumerate(layout.forward):
        function(near, f"near_{i}", ".text.stress_near", start, f"  @ slack {slack}")
        calling(near, f"far_{i}", 1)
        function(far, f"far_{i}", ".text.stress_far", callee)
        if i == 0:
            summing(far, [f"back_{j}" for j in range(len(layout.backward))])
        else:
            far.append(f"    movs r0, #{value}\n    bx lr")
    for j, (start, _, callee, slack, value) in enumerate(layout.backward):
        function(far, f"back_{j}", ".text.stress_far", start, f"  @ slack {slack}")
        calling(far, f"leaf_{j}", 2)
        function(near, f"leaf_{j}", ".text.stress_near", callee)
        near.append(f"    movs r0, #{value}\n    bx lr")
    near.append(f"    .org {layout.near_size}")
    os.makedirs(directory, exist_ok=True)
    with open(os.path.join(directory, "stress.s"), "w") as f:
        f.write("@ Generated by veneer_stress.py.\n    .syntax unified\n    .thumb\n")
        f.write("\n".join(near + far) + "\n")
        f.write("    .section .rodata.stress_expected, \"a\"\n    .p2align 2\n")
        f.write(f"    .global stress_expected\nstress_expected:\n    .word {layout.expected_sum()}\n")
    with open(os.path.join(directory, "stress.icf"), "w") as f:
        f.write(f"""// Generated by veneer_stress.py: the two sections {layout.gap:#x} bytes apart.
define region STRESS = mem:[from {BASE:#x} size 0x1F00000];
define block STRESS_NEAR with alignment = 4 {{ section .text.stress_near }};
define block STRESS_GAP with alignment = 4, size = {layout.gap:#x} {{ }};
define block STRESS_FAR with alignment = 4 {{ section .text.stress_far }};
define block STRESS with alignment = 4, fixed order {{
  block STRESS_NEAR, block STRESS_GAP, block STRESS_FAR
}};
place in STRESS {{ block STRESS }};
""")


def check(work):
    """Compares the veneers of the log, pass by pass, with the model. The
    phase "Construct veneers" logs each pass's veneers, then, when there
    were any, the layout again ("Process block ..." lines first)."""
    layout = Layout()
    forward_pass, backward_pass, passes = layout.passes()
    want = {1: {".text.stress_near+4 to stress_base"}}
    for i, number in enumerate(forward_pass):
        if number is not None:
            want.setdefault(number, set()).add(f".text.stress_near+{layout.forward[i][1]} to far_{i}")
    for j, number in enumerate(backward_pass):
        if number is not None:
            want.setdefault(number, set()).add(f".text.stress_far+{layout.backward[j][1]} to leaf_{j}")
    got, number, layouts = {}, 0, False
    veneer = re.compile(r"veneer required at (\.text\.stress_\w+\+\d+ to \w+)")
    with open(os.path.join(work, "link.log")) as log:
        for line in log:
            if line.startswith("***") and line.strip("* \n"):
                if number:
                    break
                number = 1 if "Construct veneers" in line else 0
            elif number and line.startswith("  Process block "):
                number += 0 if layouts else 1
                layouts = True
            elif number and not line.startswith("      "):
                layouts = False
            found = veneer.search(line) if number else None
            if found:
                got.setdefault(number, set()).add(found.group(1))
    if got != want or number != passes:
        print(f"want {passes} passes with these veneers: {sorted(want.items())}")
        print(f"got {number}: {sorted(got.items())}")
        return 1
    print(f"{passes} passes, {sum(map(len, want.values()))} stress veneers as predicted")
    return 0


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "generate":
        generate(sys.argv[2])
    elif len(sys.argv) == 3 and sys.argv[1] == "check":
        sys.exit(check(sys.argv[2]))
    else:
        sys.exit(__doc__)
