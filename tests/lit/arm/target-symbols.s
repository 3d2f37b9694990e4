// Relocation targets of every origin. Symbols local to their object: a
// local Thumb function keeps its Thumb bit (an Arm BL to it becomes BLX, a
// word holding it is odd), and a label reached through its section symbol
// adds the in-place offset to the section's address. Symbols the linker
// defines: block bounds, symbols defined by the script, and a common
// symbol, which gets its own zero-initialized section. A call to a
// function that its own object defines weakly goes to the strong
// definition of another object, in either command-line order.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi local.s -o local.o
// RUN: llvm-readelf -r local.o | FileCheck --check-prefix=INPUT %s
// RUN: tanrek-ld -q --entry=Reset_Handler local.o -Tlink.icf --cpu=cortex-a9 -o out.elf > out.out 2>&1; echo "status $?" >> out.out
// RUN: FileCheck --check-prefix=OUT --match-full-lines --strict-whitespace %s < out.out
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex --start-address=0x1000 --stop-address=0x1004 out.elf | FileCheck --check-prefix=CODE %s
// RUN: llvm-objdump -s out.elf | FileCheck --check-prefix=DATA %s

// The assembler refers to the function by its own local symbol and to the
// label through the section symbol.
// INPUT: R_ARM_CALL {{.*}} lthumb
// INPUT: R_ARM_ABS32 {{.*}} lthumb
// INPUT: R_ARM_ABS32 {{.*}} .rodata.d

// OUT-NOT:{{.}}
// OUT:status 0
// CODE: 1000: 3e 00 00 fb blx 0x1102
// DATA: 2000 03110000 08300000

// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi linker.s -o linker.o
// RUN: tanrek-ld -q --entry=linker_words linker.o -Tlinker.icf --cpu=cortex-a9 -o linker.elf > linker.out 2>&1; echo "status $?" >> linker.out
// RUN: FileCheck --check-prefix=OUT --match-full-lines --strict-whitespace %s < linker.out
// RUN: llvm-objdump -s linker.elf | FileCheck --check-prefix=LINKER %s
// LINKER: 3000 00000020 04080020 00080020 34120000
// LINKER-NEXT: 3010 08100020

// RUN: llvm-mc -filetype=obj -triple=thumbv7m-none-eabi weak.s -o weak.o
// RUN: llvm-mc -filetype=obj -triple=thumbv7m-none-eabi strong.s -o strong.o
// RUN: tanrek-ld -q --entry=call_handler weak.o strong.o -Tweak.icf --cpu=cortex-m3 -o ws.elf > ws.out 2>&1; echo "status $?" >> ws.out
// RUN: tanrek-ld -q --entry=call_handler strong.o weak.o -Tweak.icf --cpu=cortex-m3 -o sw.elf > sw.out 2>&1; echo "status $?" >> sw.out
// RUN: FileCheck --check-prefix=OUT --match-full-lines --strict-whitespace %s < ws.out
// RUN: FileCheck --check-prefix=OUT --match-full-lines --strict-whitespace %s < sw.out
// RUN: llvm-objdump -d --triple=thumbv7m ws.elf | FileCheck --check-prefix=STRONG %s
// RUN: llvm-objdump -d --triple=thumbv7m sw.elf | FileCheck --check-prefix=STRONG %s
// STRONG: 1000: 01 f0 fe ff bl 0x3000 <handler>

#--- weak.s
        .syntax unified
        .thumb
        .section .text.call, "ax", %progbits
        .p2align 1
        .globl call_handler
        .type call_handler, %function
call_handler:
        bl handler
        .section .text.weak_handler, "ax", %progbits
        .p2align 1
        .weak handler
        .type handler, %function
handler: bx lr

#--- strong.s
        .syntax unified
        .thumb
        .section .text.strong_handler, "ax", %progbits
        .p2align 1
        .globl handler
        .type handler, %function
handler: nop
        bx lr

#--- weak.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
place at address 0x1000 { section .text.call };
place at address 0x2000 { section .text.weak_handler };
place at address 0x3000 { section .text.strong_handler };

#--- linker.s
        .section .rodata.linker, "a", %progbits
        .globl linker_words
linker_words:
        .word __HEAP_start__
        .word __HEAP_end__+4
        .word HEAP$$Limit
        .word MYSYM
        .word buf+8
        .comm buf, 64, 4

#--- linker.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
define block HEAP with alignment = 8, size = 0x800 { };
define symbol MYSYM = 0x1234;
// The common symbol's section is what is checked, not how it is cleared.
do not initialize { zeroinit };
place at address 0x3000 { section .rodata.linker };
place at address 0x20000000 { block HEAP };
place in [from 0x20001000 size 0x1000] { zeroinit };

#--- local.s
        .syntax unified
        .arm
        .section .text.caller, "ax", %progbits
        .p2align 2
        .globl Reset_Handler
        .type Reset_Handler, %function
Reset_Handler:
        bl lthumb

        .section .rodata.w, "a", %progbits
        .globl words
words:  .word lthumb
        .word .Ldata

        .thumb
        .section .text.lthumb, "ax", %progbits
        .p2align 1
        .type lthumb, %function
lthumb: bx lr

        .section .rodata.d, "a", %progbits
        .word 0, 0
.Ldata: .word 1

#--- link.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
keep { section .rodata.w };
place at address 0x1000 { section .text.caller };
place at address 0x1102 { section .text.lthumb };
place at address 0x2000 { section .rodata.w };
place at address 0x3000 { section .rodata.d };
