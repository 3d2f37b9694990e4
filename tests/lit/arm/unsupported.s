// Relocation types the linker does not handle (here 39, R_ARM_SBREL31, and
// 26, R_ARM_GOT_BREL) are reported by every pass that applies relocations,
// with the input file, section, offset and address, and fail the link.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=thumbv7m-none-eabi code.s -o code.o
// RUN: tanrek-ld -q --entry=Reset_Handler code.o -Tlink.icf --cpu=cortex-m3 -o out.elf > out.out 2>&1; echo "status $?" >> out.out
// RUN: FileCheck --match-full-lines --strict-whitespace %s < out.out

// CHECK:Diagnostics:
// CHECK-NEXT:error: cannot handle relocation unknown (39) in file code.o section .rodata.bad+4 [source address 00003004]
// CHECK-NEXT:error: cannot handle relocation unknown (26) in file code.o section .rodata.bad+8 [source address 00003008]
// CHECK-NEXT:error: cannot handle relocation unknown (39) in file code.o section .rodata.bad+4 [source address 00003004]
// CHECK-NEXT:error: cannot handle relocation unknown (26) in file code.o section .rodata.bad+8 [source address 00003008]
// CHECK-NEXT:error: cannot handle relocation unknown (39) in file code.o section .rodata.bad+4 [source address 00003004]
// CHECK-NEXT:error: cannot handle relocation unknown (26) in file code.o section .rodata.bad+8 [source address 00003008]
// CHECK-NEXT:error: cannot handle relocation unknown (39) in file code.o section .rodata.bad+4 [source address 00003004]
// CHECK-NEXT:error: cannot handle relocation unknown (26) in file code.o section .rodata.bad+8 [source address 00003008]
// CHECK-NEXT:error: cannot handle relocation unknown (39) in file code.o section .rodata.bad+4 [source address 00003004]
// CHECK-NEXT:error: cannot handle relocation unknown (26) in file code.o section .rodata.bad+8 [source address 00003008]
// CHECK-NEXT:status 100

#--- code.s
        .syntax unified
        .thumb
        .section .text.main, "ax", %progbits
        .p2align 1
        .globl Reset_Handler
        .type Reset_Handler, %function
Reset_Handler:
        ldr r0, =table
        bx lr

        .section .rodata.bad, "a", %progbits
        .globl table
table:  .word Reset_Handler
        .reloc ., R_ARM_SBREL31, Reset_Handler
        .word 0
        .reloc ., R_ARM_GOT_BREL, Reset_Handler
        .word 0

#--- link.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
place at address 0x1000 { section .text.main };
place at address 0x3000 { section .rodata.bad };
