// Veneers make their sections longer, so the layout is done again from
// scratch: memory that the first placement took is free again, items after
// a grown section move up, and a symbol the script defines from an address
// follows its block. The region below is exactly as large as the code
// with its veneer: were the first placement's memory not given back, the
// second would not fit.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=thumbv7m-none-eabi code.s -o code.o
// RUN: tanrek-ld -q --entry=main code.o -Tlink.icf --cpu=cortex-m3 -o out.elf --log-file out.log > out.out 2>&1; echo "status $?" >> out.out
// RUN: FileCheck --check-prefix=OUT --match-full-lines --strict-whitespace %s < out.out
// RUN: llvm-readelf -s out.elf | FileCheck --check-prefix=SYMS %s
// RUN: llvm-objdump -d --triple=thumbv7m out.elf | FileCheck --check-prefix=CODE %s
// RUN: FileCheck --check-prefix=LOG %s < out.log

// OUT-NOT:{{.}}
// OUT:status 0

// The same code in a region that holds it only without its veneer: the
// second layout cannot place it, and the link ends with the unplaced
// report instead of scanning sections that have no address.
// RUN: sed 's/size 0x24/size 0x1c/' link.icf > tight.icf
// RUN: tanrek-ld -q --entry=main code.o -Ttight.icf --cpu=cortex-m3 -o tight.elf > tight.out 2>&1; echo "status $?" >> tight.out
// RUN: FileCheck --check-prefix=TIGHT %s < tight.out
// RUN: test ! -e tight.elf
// TIGHT: Unplaced sections:
// TIGHT: error: not all sections placed: refer to unplaced section list
// TIGHT: status 100

// main is 20 bytes (code and two literals); its veneer to far (8 bytes)
// starts at 0x1014, so the constant block moves from 0x1014 to 0x101c and
// the data after it from 0x1018 to 0x1020.
// SYMS-DAG: {{0*}}101c {{.*}} GLOBAL DEFAULT ABS after_main
// SYMS-DAG: {{0*}}101c {{.*}} GLOBAL DEFAULT {{.*}} table
// SYMS-DAG: {{0*}}1020 {{.*}} GLOBAL DEFAULT {{.*}} other
// SYMS-DAG: {{0*}}1015 {{.*}} FUNC LOCAL DEFAULT {{.*}} far__TT_veneer_T32_LDR

// CODE:      1000: 00 f0 08 f8 bl 0x1014 <far__TT_veneer_T32_LDR>
// CODE:      1004: 01 48 ldr r0, [pc, #4]
// CODE:      1006: 02 49 ldr r1, [pc, #8]
// CODE:      1014: df f8 00 f0 ldr.w pc, [pc, #0]

// The first layout, then the second after the veneer.
// LOG: Allocate 00001014-00001017 to section .rodata.table from code.o
// LOG: Construct veneers
// LOG: Thumb-2 LDR veneer required at .text.main+0 to far for Thumb-Thumb range extension
// LOG: Allocate 0000101c-0000101f to section .rodata.table from code.o
// LOG: Allocate 00001020-00001023 to section .rodata.other from code.o

//--- code.s
  .syntax unified
  .thumb
  .section .text.main,"ax",%progbits
  .p2align 2
  .globl main
  .type main,%function
  .thumb_func
main:
  bl far
  ldr r0, =after_main
  ldr r1, =table
  bx lr
  .section .rodata.table,"a",%progbits
  .p2align 2
  .globl table
table: .word other
  .section .rodata.other,"a",%progbits
  .p2align 2
  .globl other
other: .word 2
  .section .text.far,"ax",%progbits
  .p2align 1
  .globl far
  .type far,%function
  .thumb_func
far:
  bx lr

//--- link.icf
define memory mem with size = 4G;
define block TABLE with fixed order { section .rodata.table };
define symbol after_main = start of block TABLE;
define region CODE = mem:[from 0x1000 size 0x24];
place in CODE { section .text.main };
place in CODE { block TABLE };
place in CODE { section .rodata.other };
place at address 0x20000000 { section .text.far };
place in mem:[from 0x10000 size 0x1000] { section .tanrek.init.table };
