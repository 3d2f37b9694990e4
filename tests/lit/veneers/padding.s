// A veneer is appended at a word boundary: the calling section is aligned
// to at least 4 and its size is padded with zeros to a multiple of its
// alignment first, or of 16 when the alignment is larger. A 6-byte Thumb
// section aligned to 2 ends up aligned to 4, two bytes longer, with its
// veneer at offset 8 (and so moves up from 0x1002 to 0x1004). A section
// aligned to 32 is padded before every call that needs a veneer, a reused
// one included.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi %S/Inputs/targets.s -o targets.o
// RUN: llvm-mc -filetype=obj -triple=thumbv7m-none-eabi pad.s -o pad.o
// RUN: tanrek-ld -q --entry=pad_calls pad.o targets.o -T%S/Inputs/targets.icf -Tpad.icf --cpu=cortex-m3 -o pad.elf --log-file pad.log > pad.out 2>&1; echo "status $?" >> pad.out
// RUN: FileCheck --check-prefix=OUT --match-full-lines --strict-whitespace %s < pad.out
// RUN: FileCheck --check-prefix=LOG --match-full-lines --strict-whitespace %s < pad.log
// RUN: llvm-objdump -d --triple=thumbv7m --print-imm-hex --start-address=0x1004 --stop-address=0x1014 pad.elf | FileCheck --check-prefix=DIS %s
// RUN: llvm-objdump -s -j .text.pad -j .text.big pad.elf | FileCheck --check-prefix=BYTES %s
// RUN: llvm-readelf -S -s pad.elf | FileCheck --check-prefix=SYM %s

// OUT-NOT:{{.}}
// OUT:status 0

// LOG:***{{ +}}Construct veneers{{ +}}***
// LOG:  Padding section '.text.pad' to align size to 4: size increased by 2 from 6 to 8
// LOG-NEXT:  Thumb-2 LDR veneer required at .text.pad+0 to tfar for Thumb-Thumb range extension
// LOG-NEXT:  Padding section '.text.big' to align size to 16: size increased by 12 from 20 to 32
// LOG-NEXT:  Thumb-2 LDR veneer required at .text.big+0 to tfar for Thumb-Thumb range extension
// LOG-NEXT:  Padding section '.text.big' to align size to 16: size increased by 8 from 40 to 48
// LOG-NEXT:  Thumb-2 LDR veneer required at .text.big+4 to tfar2 for Thumb-Thumb range extension
// LOG-NEXT:  Padding section '.text.big' to align size to 16: size increased by 8 from 56 to 64
// LOG-NEXT:  Existing Thumb-2 LDR veneer reused at .text.big+8 to tfar, section align = 32
// LOG:  Allocate 00001000-00001001 to section .text.pre from pad.o
// LOG-NEXT:  Allocate 00001004-00001013 to section .text.pad from pad.o
// LOG:  Allocate 00001100-0000113f to section .text.big from pad.o
// LOG-NOT:{{.*}}{{veneer|Padding}}{{.*}}
// LOG:***{{ +}}Relocate image{{ +}}***

// DIS:      1004: 00 f0 02 f8 bl 0x100c <tfar__TT_veneer_T32_LDR>
// DIS-NEXT: 1008: 70 47 bx lr
// DIS-NEXT: 100a: 00 00 movs r0, r0
// DIS:      100c: df f8 00 f0 ldr.w pc, [pc, #0x0]
// DIS:      1010: 01 00 20 02 .word 0x02200001

// BYTES:      1004 00f002f8 70470000 dff800f0 01002002
// BYTES:      1100 00f00ef8 00f014f8 00f00af8 00bf00bf
// BYTES-NEXT: 1110 00bf00bf 00000000 00000000 00000000
// BYTES-NEXT: 1120 dff800f0 01002002 00000000 00000000
// BYTES-NEXT: 1130 dff800f0 05002002 00000000 00000000

// SYM: .text.pad PROGBITS 00001004 {{[0-9a-f]+}} 000010 00 AX 0 0 4
// SYM: .text.big PROGBITS 00001100 {{[0-9a-f]+}} 000040 00 AX 0 0 32
// SYM-DAG: 0000100d {{.+}} FUNC {{.+}} tfar__TT_veneer_T32_LDR{{$}}
// SYM-DAG: 0000100c {{.+}} NOTYPE {{.+}} $t{{(\.[^ ]+)?$}}
// SYM-DAG: 00001010 {{.+}} NOTYPE {{.+}} $d{{(\.[^ ]+)?$}}
// SYM-DAG: 00001121 {{.+}} FUNC {{.+}} tfar__TT_veneer_T32_LDR{{$}}
// SYM-DAG: 00001131 {{.+}} FUNC {{.+}} tfar2__TT_veneer_T32_LDR{{$}}

#--- pad.s
        .syntax unified
        .thumb
        .section .text.pre, "ax", %progbits
        .p2align 1
        .globl pre
        .type pre, %function
pre:    bx lr

        .section .text.pad, "ax", %progbits
        .p2align 1
        .globl pad_calls
        .type pad_calls, %function
pad_calls:
        bl tfar
        bx lr

        .section .text.big, "ax", %progbits
        .p2align 5
        .globl big
        .type big, %function
big:    bl tfar
        bl tfar2
        bl tfar
        .rept 4
        nop
        .endr

#--- pad.icf
define block CODE with fixed order { section .text.pre, section .text.pad };
keep { section .text.pre, section .text.big };
place at address 0x1000 { block CODE };
place at address 0x1100 { section .text.big };
