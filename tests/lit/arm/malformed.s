// Relocations that do not fit their section end the link with a message,
// never a crash: a record whose field runs past the end of the section,
// and records for a section that has no contents (SHT_NOBITS).
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=thumbv7m-none-eabi code.s -o code.o
// RUN: cp code.o short.o && python3 %S/../input/Inputs/elfpatch.py short.o .text.x.sh_size=6
// RUN: tanrek-ld -q --entry=Reset_Handler short.o -Tlink.icf --cpu=cortex-m3 -o short.elf > short.out 2>&1; echo "status $?" >> short.out
// RUN: FileCheck --check-prefix=SHORT --match-full-lines --strict-whitespace %s < short.out
// SHORT:error: relocation R_ARM_ABS32 at .text.x+4 in file short.o runs past the end of the section (6 bytes)
// SHORT-NEXT:status 100

// RUN: cp code.o nobits.o && python3 %S/../input/Inputs/elfpatch.py nobits.o .text.x.sh_type=8
// RUN: tanrek-ld -q --entry=Reset_Handler nobits.o -Tlink.icf --cpu=cortex-m3 -o nobits.elf > nobits.out 2>&1; echo "status $?" >> nobits.out
// RUN: FileCheck --check-prefix=NOBITS --match-full-lines --strict-whitespace %s < nobits.out
// NOBITS:error: {{.+}}
// NOBITS:status 100

#--- code.s
        .syntax unified
        .thumb
        .section .text.x, "ax", %progbits
        .p2align 1
        .globl Reset_Handler
        .type Reset_Handler, %function
Reset_Handler:
        bl f
        .word f
        .section .text.f, "ax", %progbits
        .p2align 1
        .globl f
        .type f, %function
f:      bx lr

#--- link.icf
define memory with size = 4G;
place at address 0x1000 { section .text.x };
place at address 0x2000 { section .text.f };
