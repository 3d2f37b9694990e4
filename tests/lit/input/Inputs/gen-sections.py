#!/usr/bin/env python3
"""Write an assembler source with N data sections .s0 ... .s<N-1>, each
defining the global word s<i>. The reset handler refers to s100 and s65290;
.s65290 refers to a local label in the last section."""
import sys

n = int(sys.argv[1])
out = sys.stdout
out.write("\t.syntax unified\n\t.thumb\n"
          "\t.section .text.Reset_Handler,\"ax\",%progbits\n"
          "\t.globl Reset_Handler\n\t.type Reset_Handler,%function\n"
          "Reset_Handler:\n\tb .\n\t.balign 4\n\t.word s65290\n\t.word s100\n")
for i in range(n):
    out.write("\t.section .s{0},\"a\",%progbits\n\t.globl s{0}\ns{0}:\t.word {0}\n".format(i))
    if i == 65290:
        out.write("\t.word .Llast\n")
    if i == n - 1:
        out.write(".Llast:\t.word 0\n")
