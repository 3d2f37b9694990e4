// R_ARM_ALU_PC_G0 on ADD/SUB Rd, PC, #imm. The in-place addend is the
// rotated immediate, negative for SUB; the result picks ADD or SUB by sign
// and is written as an Arm modified immediate with the smallest rotation
// (0x104 is 0x41 rotated by 30, field 15; 0x400 is 1 rotated by 22, field
// 11). A value that no rotation can express, and an instruction that is
// neither ADD nor SUB, are errors that leave the instruction alone.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi alu.s -o alu.o
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi bad.s -o bad.o
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi data.s -o data.o
// RUN: tanrek-ld -q --entry=Reset_Handler alu.o data.o -Tlink.icf --cpu=cortex-a9 -o alu.elf > alu.out 2>&1; echo "status $?" >> alu.out
// RUN: FileCheck --check-prefix=ALU-OUT --match-full-lines --strict-whitespace %s < alu.out
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex alu.elf | FileCheck --check-prefix=ALU %s

// ALU-OUT-NOT:{{.}}
// ALU-OUT:status 0

// ALU:      8000: 41 0f 8f e2 add r0, pc, #260
// ALU-NEXT: 8004: 01 1c 4f e2 sub r1, pc, #256
// ALU-NEXT: 8008: ff 20 8f e2 add r2, pc, #255
// ALU-NEXT: 800c: 40 30 8f e2 add r3, pc, #64
// ALU-NEXT: 8010: 01 4b 8f 12 addne r4, pc, #1024

// RUN: tanrek-ld -q --entry=Reset_Handler bad.o data.o -Tlink.icf --cpu=cortex-a9 --force-output -o bad.elf > bad.out 2>&1; echo "status $?" >> bad.out
// RUN: FileCheck --check-prefix=BAD-OUT --match-full-lines --strict-whitespace %s < bad.out
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex bad.elf | FileCheck --check-prefix=BAD %s

// BAD-OUT:Diagnostics:
// BAD-OUT-NEXT:error: ARM_R_ARM_ALU_PC_G relocation cannot be encoded
// BAD-OUT-NEXT:error: ARM_R_ARM_ALU_PC_G not applied to an ADD or SUB instruction
// BAD-OUT:status 100

// BAD:      8000: 08 00 4f e2 sub r0, pc, #8
// BAD-NEXT: 8004: 00 10 a0 e3 mov r1, #0

#--- alu.s
        .syntax unified
        .arm
        .section .text.alu, "ax", %progbits
        .p2align 2
        .globl Reset_Handler, t104, tm100, tff, t40, t400
        .type Reset_Handler, %function
Reset_Handler:
        .reloc ., R_ARM_ALU_PC_G0, t104
        sub r0, pc, #8
        .reloc ., R_ARM_ALU_PC_G0, tm100
        sub r1, pc, #8
        .reloc ., R_ARM_ALU_PC_G0, tff
        sub r2, pc, #8
        // In-place addends +0x104 and -0x100, both rotated.
        .reloc ., R_ARM_ALU_PC_G0, t40
        add r3, pc, #0x104
        .reloc ., R_ARM_ALU_PC_G0, t400
        subne r4, pc, #0x100

#--- bad.s
        .syntax unified
        .arm
        .section .text.alu, "ax", %progbits
        .p2align 2
        .globl Reset_Handler, t101
        .type Reset_Handler, %function
Reset_Handler:
        .reloc ., R_ARM_ALU_PC_G0, t101
        sub r0, pc, #8
        .reloc ., R_ARM_ALU_PC_G0, t101
        mov r1, #0

#--- data.s
        .irp name, t104, tm100, tff, t40, t400, t101
        .section .rodata.\name, "a", %progbits
        .globl \name
\name:  .byte 0
        .endr

#--- link.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
place at address 0x8000 { section .text.alu };
// Each target is P + 8 plus the value the instruction must produce.
place at address 0x810c { section .rodata.t104 };
place at address 0x7f0c { section .rodata.tm100 };
place at address 0x810f { section .rodata.tff };
place at address 0x7f48 { section .rodata.t40 };
place at address 0x8510 { section .rodata.t400 };
place at address 0x8109 { section .rodata.t101 };
