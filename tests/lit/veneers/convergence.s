// Veneers move code: a veneer appended to one section pushes the sections
// after it up, and a call from them that just reached its target may then
// need a veneer too. Three Thumb sections in a row: the first calls far
// code; the second calls back exactly 16 MiB (the farthest a BL reaches) and
// the third a little less, so that each veneer pushes the next call out of
// range. The construction scans and places again until no call needs a
// new veneer: here four scans, with three layouts after the first.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi %S/Inputs/targets.s -o targets.o
// RUN: llvm-mc -filetype=obj -triple=thumbv7m-none-eabi conv.s -o conv.o
// RUN: tanrek-ld -q --entry=first conv.o targets.o -T%S/Inputs/targets.icf -Tconv.icf --cpu=cortex-m3 -o conv.elf --log-file conv.log > conv.out 2>&1; echo "status $?" >> conv.out
// RUN: FileCheck --check-prefix=OUT --match-full-lines --strict-whitespace %s < conv.out
// RUN: FileCheck --check-prefix=LOG --match-full-lines --strict-whitespace %s < conv.log
// RUN: llvm-objdump -d --triple=thumbv7m --print-imm-hex --start-address=0x01000000 --stop-address=0x01000024 conv.elf | FileCheck --check-prefix=DIS %s
// RUN: llvm-readelf -S -s conv.elf | FileCheck --check-prefix=SYM %s

// OUT-NOT:{{.}}
// OUT:status 0

// Before construction: all three calls but the first reach.
// LOG:  Allocate 01000000-01000003 to section .text.a from conv.o
// LOG-NEXT:  Allocate 01000004-01000007 to section .text.b from conv.o
// LOG-NEXT:  Allocate 01000008-0100000b to section .text.c from conv.o

// LOG:***{{ +}}Construct veneers{{ +}}***
// LOG-NOT:{{.*}}veneer{{.*}}
// LOG:  Thumb-2 LDR veneer required at .text.a+0 to tfar for Thumb-Thumb range extension
// LOG-NOT:{{.*}}veneer{{.*}}
// LOG:  Allocate 01000000-0100000b to section .text.a from conv.o
// LOG-NEXT:  Allocate 0100000c-0100000f to section .text.b from conv.o
// LOG-NEXT:  Allocate 01000010-01000013 to section .text.c from conv.o
// LOG-NOT:{{.*}}veneer{{.*}}
// LOG:  Thumb-2 LDR veneer required at .text.b+0 to low_b for Thumb-Thumb range extension
// LOG-NOT:{{.*}}veneer{{.*}}
// LOG:  Allocate 01000000-0100000b to section .text.a from conv.o
// LOG-NEXT:  Allocate 0100000c-01000017 to section .text.b from conv.o
// LOG-NEXT:  Allocate 01000018-0100001b to section .text.c from conv.o
// LOG-NOT:{{.*}}veneer{{.*}}
// LOG:  Thumb-2 LDR veneer required at .text.c+0 to low_c for Thumb-Thumb range extension
// LOG-NOT:{{.*}}veneer{{.*}}
// LOG:  Allocate 01000000-0100000b to section .text.a from conv.o
// LOG-NEXT:  Allocate 0100000c-01000017 to section .text.b from conv.o
// LOG-NEXT:  Allocate 01000018-01000023 to section .text.c from conv.o
// LOG-NEXT:  Allocate 01000000-01000023 to block CODE from [ Linker created ]
// LOG:  Allocate 00000014-00000015 to section .text.lowc from conv.o
// LOG-NOT:{{.*}}{{veneer|Allocate}}{{.*}}
// LOG:***{{ +}}Relocate image{{ +}}***

// DIS:      1000000: 00 f0 00 f8 bl 0x1000004 <tfar__TT_veneer_T32_LDR>
// DIS:      1000004: df f8 00 f0 ldr.w pc, [pc, #0x0]
// DIS:      1000008: 01 00 20 02 .word 0x02200001
// DIS:      100000c: 00 f0 00 f8 bl 0x1000010 <low_b__TT_veneer_T32_LDR>
// DIS:      1000010: df f8 00 f0 ldr.w pc, [pc, #0x0]
// DIS:      1000014: 09 00 00 00 .word 0x00000009
// DIS:      1000018: 00 f0 00 f8 bl 0x100001c <low_c__TT_veneer_T32_LDR>
// DIS:      100001c: df f8 00 f0 ldr.w pc, [pc, #0x0]
// DIS:      1000020: 15 00 00 00 .word 0x00000015

// SYM: .text.a PROGBITS 01000000 {{[0-9a-f]+}} 00000c 00 AX 0 0 4
// SYM: .text.b PROGBITS 0100000c {{[0-9a-f]+}} 00000c 00 AX 0 0 4
// SYM: .text.c PROGBITS 01000018 {{[0-9a-f]+}} 00000c 00 AX 0 0 4
// SYM-DAG: 01000005 {{.+}} FUNC {{.+}} tfar__TT_veneer_T32_LDR{{$}}
// SYM-DAG: 01000011 {{.+}} FUNC {{.+}} low_b__TT_veneer_T32_LDR{{$}}
// SYM-DAG: 0100001d {{.+}} FUNC {{.+}} low_c__TT_veneer_T32_LDR{{$}}

#--- conv.s
        .syntax unified
        .thumb
        .macro call sec, name, target
        .section .text.\sec, "ax", %progbits
        .p2align 2
        .globl \name
        .type \name, %function
\name:  bl \target
        .endm
        call a, first, tfar
        call b, second, low_b
        call c, third, low_c

        .macro func sec, name
        .section .text.\sec, "ax", %progbits
        .p2align 1
        .globl \name
        .type \name, %function
\name:  bx lr
        .endm
        func lowb, low_b
        func lowc, low_c

#--- conv.icf
define block CODE with fixed order { section .text.a, section .text.b, section .text.c };
keep { section .text.b, section .text.c };
place at address 0x01000000 { block CODE };
place at address 0x00000008 { section .text.lowb };
place at address 0x00000014 { section .text.lowc };
