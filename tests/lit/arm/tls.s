// Thread-local offsets: R_ARM_TLS_LE32 and R_ARM_TLS_LDO32 give the
// variable's address plus the in-place addend plus 8, less the start of
// the thread-local area, which is the lowest TLS section (here .tbss,
// placed below .tdata).
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi tls.s -o tls.o
// RUN: tanrek-ld -q --entry=Reset_Handler tls.o -Tlink.icf --cpu=cortex-a9 -o out.elf > out.out 2>&1; echo "status $?" >> out.out
// RUN: FileCheck --check-prefix=OUT --match-full-lines --strict-whitespace %s < out.out
// RUN: llvm-objdump -s out.elf | FileCheck --check-prefix=WORDS %s

// OUT-NOT:{{.}}
// OUT:status 0
// x at 0x20000204, y at 0x20000108, the area at 0x20000100.
// WORDS: 3000 0c010000 14000000 10000000

#--- tls.s
        .syntax unified
        .section .rodata.offsets, "a", %progbits
        .globl Reset_Handler
Reset_Handler:
        .word x(tpoff)
        .reloc ., R_ARM_TLS_LE32, y
        .word 4
        .word y(tlsldo)

        .section .tdata, "awT", %progbits
        .word 0
        .globl x
x:      .word 1

        .section .tbss, "awT", %nobits
        .space 8
        .globl y
y:      .space 4

#--- link.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
do not initialize { section .tdata, section .tbss };
place at address 0x3000 { section .rodata.offsets };
place at address 0x20000200 { section .tdata };
place at address 0x20000100 { section .tbss };
