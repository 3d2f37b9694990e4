// Relocations that do not fit their section end the link with a message,
// never a crash: a record whose field runs past the end of the section,
// records for a section that has no contents (SHT_NOBITS), and a Thumb
// call record on an instruction that is neither BL, BLX nor B.W.
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

// RUN: llvm-mc -filetype=obj -triple=thumbv7m-none-eabi notcall.s -o notcall.o
// RUN: tanrek-ld -q --entry=notcall notcall.o code.o -Tlink.icf --cpu=cortex-m3 -o notcall.elf > notcall.out 2>&1; echo "status $?" >> notcall.out
// RUN: FileCheck --check-prefix=NOTCALL --match-full-lines --strict-whitespace %s < notcall.out
// NOTCALL:error: Thumb veneer requested for opcode 0x0000f240 (not BL and not B) at .text.y+0 to f
// NOTCALL-NEXT:status 100

#--- notcall.s
        .syntax unified
        .thumb
        .section .text.y, "ax", %progbits
        .p2align 1
        .globl notcall, f
        .type notcall, %function
notcall:
        .reloc ., R_ARM_THM_CALL, f
        movw r0, #0

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
place at address 0x3000 { section .text.y };
