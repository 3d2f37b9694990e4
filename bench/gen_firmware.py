#!/usr/bin/env python3
"""Writes the sources of a large synthetic Cortex-M4 firmware into the
current directory: a start-up file with the vector table, and N driver
modules of C, each with a handful of functions, constant tables, a string
table, initialized and zero-initialized data.

The call graph is a random tree rooted at main plus one extra call per
function, over about 70% of the functions; the other functions are never
called and one module in ten is not referred to at all, so that a linker
that does not remove unreachable sections keeps a fifth more code. Every
module also has a constant table that nothing reads. The modules whose
number is 2 modulo 3 are meant for an archive (listed in archive.txt, the
others in objects.txt), so that unreferenced members are not loaded.

    gen_firmware.py [MODULES] [FUNCTIONS_PER_MODULE]

The same seed gives the same sources on every run.
"""
import random
import sys

MODULES = int(sys.argv[1]) if len(sys.argv) > 1 else 3000
FUNCTIONS = int(sys.argv[2]) if len(sys.argv) > 2 else 6
rng = random.Random(20261206)


def name(f):
    return f"m{f // FUNCTIONS}_f{f % FUNCTIONS}"


# Liveness: whole modules dead one time in ten, and 15% of the functions of
# the other modules; function 0 of module 0 is main's first callee.
dead_module = [m != 0 and rng.random() < 0.1 for m in range(MODULES)]
total = MODULES * FUNCTIONS
live = [f == 0 or (not dead_module[f // FUNCTIONS] and rng.random() >= 0.15) for f in range(total)]
live_list = [f for f in range(total) if live[f]]

# A random tree over the live functions (each one's parent comes earlier in
# a shuffled order, so every live function is reached from the root), one
# extra call to a random live function each, and dead functions calling
# anything.
order = live_list[1:]
rng.shuffle(order)
order.insert(0, 0)
callees = {f: [] for f in range(total)}
for i, f in enumerate(order[1:], start=1):
    callees[order[rng.randrange(max(0, i - 200), i)]].append(f)
for f in live_list:
    callees[f].append(rng.choice(live_list))
for f in range(total):
    if not live[f]:
        callees[f] = [rng.randrange(total) for _ in range(2)]


def module_source(m):
    out = ["#include <stdint.h>", "extern void trace(const char *message, uint32_t value);"]
    externs = sorted({c for f in range(m * FUNCTIONS, (m + 1) * FUNCTIONS) for c in callees[f]})
    for c in externs:
        out.append(f"extern uint32_t {name(c)}(uint32_t x);")
    coefficients = ", ".join(str(rng.randrange(1 << 20)) for _ in range(32))
    spare = ", ".join(str(rng.randrange(1 << 16)) for _ in range(64))
    out.append(f"static const uint32_t coeff[32] = {{{coefficients}}};")
    out.append(f"const uint16_t m{m}_spare[64] = {{{spare}}};")
    out.append(f'static const char *const labels[] = {{"m{m} idle", "m{m} busy", "m{m} fault"}};')
    out.append(f"uint32_t m{m}_state = {m + 1};")
    out.append("static uint32_t counter;")
    out.append("static uint8_t buffer[48];")
    for k in range(FUNCTIONS):
        f = m * FUNCTIONS + k
        out.append(f"uint32_t {name(f)}(uint32_t x) {{")
        out.append(f"  counter += coeff[(x + {k}) & 31];")
        out.append(f"  buffer[x % sizeof buffer] = (uint8_t)x;")
        out.append(f"  x += buffer[(x + {k + 1}) % sizeof buffer];")
        out.append(f"  if (x > {rng.randrange(4, 64)}) return x;")
        for c in callees[f]:
            out.append(f"  x += {name(c)}(x + {rng.randrange(1, 9)});")
        out.append(f'  trace(labels[x % 3], m{m}_state ^ counter);')
        out.append(f'  trace("{name(f)} done", x);')
        out.append("  return x * 3;")
        out.append("}")
    return "\n".join(out) + "\n"


STARTUP = """#include <stdint.h>
extern unsigned char __CSTACK_end__[];
extern uint32_t m0_f0(uint32_t x);
volatile uint32_t trace_port;
void trace(const char *message, uint32_t value) {
  while (*message) trace_port = (uint32_t)*message++;
  trace_port = value;
}
int main(void) { return (int)m0_f0(1); }
void Reset_Handler(void) { main(); for (;;) {} }
void Default_Handler(void) { for (;;) {} }
__attribute__((section(".isr_vector"), used))
void *const vectors[16] = {__CSTACK_end__, (void *)Reset_Handler, (void *)Default_Handler,
                           (void *)Default_Handler, 0, 0, 0, 0, 0, 0, 0, (void *)Default_Handler,
                           0, 0, (void *)Default_Handler, (void *)Default_Handler};
"""

with open("startup.c", "w") as out:
    out.write(STARTUP)
objects, members = [], []
for m in range(MODULES):
    with open(f"m{m}.c", "w") as out:
        out.write(module_source(m))
    (members if m % 3 == 2 else objects).append(f"m{m}.o")
with open("objects.txt", "w") as out:
    out.write("\n".join(["startup.o"] + objects) + "\n")
with open("archive.txt", "w") as out:
    out.write("\n".join(members) + "\n")
print(f"{MODULES} modules, {total} functions, {len(live_list)} reachable")
