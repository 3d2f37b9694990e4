// PC-relative literal loads and ADR. Thumb LDR.W (R_ARM_THM_PC12) reaches
// 4094 bytes either way from Align(P, 4) + 4 (bit 0 of the offset is
// dropped), choosing the U bit by sign. Thumb LDR and ADR (R_ARM_THM_PC8)
// reach 0..1020 from there in steps of 4, also from a place that is not
// word-aligned (the LDR and the ADR at the next halfword reach the same
// word). Arm LDR (R_ARM_LDR_PC_G0) takes 12 bits of magnitude and the sign
// in U. The in-place addends are the assembler's -4 (Thumb) and -8 (Arm).
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=thumbv7a-none-eabi thumb.s -o thumb.o
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi arm.s -o arm.o
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi data.s -o data.o
// RUN: tanrek-ld -q --entry=Reset_Handler thumb.o arm.o data.o -Tin.icf --cpu=cortex-a9 -o in.elf > in.out 2>&1; echo "status $?" >> in.out
// RUN: FileCheck --check-prefix=IN-OUT --match-full-lines --strict-whitespace %s < in.out
// RUN: llvm-objdump -d --triple=thumbv7a --print-imm-hex --start-address=0x20000 --stop-address=0x2000e in.elf | FileCheck --check-prefix=IN-THUMB %s
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex --start-address=0x40000 --stop-address=0x40010 in.elf | FileCheck --check-prefix=IN-ARM %s

// IN-OUT-NOT:{{.}}
// IN-OUT:status 0

// IN-THUMB:      20000: df f8 fe 2f ldr.w r2, [pc, #0xffe]
// IN-THUMB-NEXT: 20004: 5f f8 fe 3f ldr.w r3, [pc, #-0xffe]
// IN-THUMB-NEXT: 20008: ff 48 ldr r0, [pc, #0x3fc]
// IN-THUMB-NEXT: 2000a: ff a1 adr r1, #1020
// IN-THUMB-NEXT: 2000c: 00 4a ldr r2, [pc, #0x0]

// IN-ARM:      40000: ff 0f 9f e5 ldr r0, [pc, #0xfff]
// IN-ARM-NEXT: 40004: ff 1f 1f e5 ldr r1, [pc, #-0xfff]
// IN-ARM-NEXT: 40008: 00 20 9f e5 ldr r2, [pc]
// IN-ARM-NEXT: 4000c: 01 30 1f e5 ldr r3, [pc, #-0x1]

// One step past each end of the Thumb fields, and a PC8 target that is
// not a multiple of 4 away: warnings, truncated fields, status 0.
// RUN: tanrek-ld -q --entry=Reset_Handler thumb.o data.o -Tout.icf --cpu=cortex-a9 -o out.elf > out.out 2>&1; echo "status $?" >> out.out
// RUN: FileCheck --check-prefix=OUT-OUT --match-full-lines --strict-whitespace %s < out.out
// RUN: llvm-objdump -d --triple=thumbv7a --print-imm-hex --start-address=0x20000 --stop-address=0x2000e out.elf | FileCheck --check-prefix=OUT %s

// OUT-OUT:Diagnostics:
// OUT-OUT-NEXT:warning: relocation R_ARM_THM_PC12 to p12f truncated to fit at .text.thumb+0
// OUT-OUT-NEXT:warning: relocation R_ARM_THM_PC12 to p12b truncated to fit at .text.thumb+4
// OUT-OUT-NEXT:warning: relocation R_ARM_THM_PC8 to p8max truncated to fit at .text.thumb+8
// OUT-OUT-NEXT:warning: relocation R_ARM_THM_PC8 to p8max truncated to fit at .text.thumb+10
// OUT-OUT-NEXT:warning: relocation R_ARM_THM_PC8 to p8min truncated to fit at .text.thumb+12
// OUT-OUT:status 0

// OUT:      20000: df f8 00 20 ldr.w r2, [pc, #0x0]
// OUT-NEXT: 20004: 5f f8 00 30 ldr.w r3, [pc, #-0x0]
// OUT-NEXT: 20008: 00 48 ldr r0, [pc, #0x0]
// OUT-NEXT: 2000a: 00 a1 adr r1, #0
// OUT-NEXT: 2000c: 00 4a ldr r2, [pc, #0x0]

#--- thumb.s
        .syntax unified
        .thumb
        .section .text.thumb, "ax", %progbits
        .p2align 2
        .globl Reset_Handler
        .type Reset_Handler, %function
        // Names that only .reloc refers to must be declared to be kept.
        .globl p12f, p12b, p8max, p8min
Reset_Handler:
        .reloc ., R_ARM_THM_PC12, p12f
        ldr.w r2, [pc, #-4]
        .reloc ., R_ARM_THM_PC12, p12b
        ldr.w r3, [pc, #-4]
        // imm8 = 255 reads as the signed 10-bit value -4.
        .reloc ., R_ARM_THM_PC8, p8max
        .inst.n 0x48ff                  @ ldr r0, [pc, #1020]
        .reloc ., R_ARM_THM_PC8, p8max
        .inst.n 0xa1ff                  @ adr r1, . + 1020
        .reloc ., R_ARM_THM_PC8, p8min
        .inst.n 0x4aff                  @ ldr r2, [pc, #1020]

#--- arm.s
        .syntax unified
        .arm
        .section .text.arm, "ax", %progbits
        .p2align 2
        .globl arm_loads
        .type arm_loads, %function
        .globl afwd, abwd, azero, aminus1
arm_loads:
        .reloc ., R_ARM_LDR_PC_G0, afwd
        ldr r0, [pc, #-8]
        .reloc ., R_ARM_LDR_PC_G0, abwd
        ldr r1, [pc, #-8]
        .reloc ., R_ARM_LDR_PC_G0, azero
        ldr r2, [pc, #-8]
        .reloc ., R_ARM_LDR_PC_G0, aminus1
        ldr r3, [pc, #-8]

#--- data.s
        .irp name, p12f, p12b, p8max, p8min, afwd, abwd, azero, aminus1
        .section .rodata.\name, "a", %progbits
        .globl \name
\name:  .byte 0x5a
        .endr

#--- in.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
keep { section .text.arm };
place at address 0x20000 { section .text.thumb };
place at address 0x21002 { section .rodata.p12f };
place at address 0x1f00a { section .rodata.p12b };
place at address 0x20408 { section .rodata.p8max };
place at address 0x20010 { section .rodata.p8min };
place at address 0x40000 { section .text.arm };
place at address 0x41007 { section .rodata.afwd };
place at address 0x3f00d { section .rodata.abwd };
place at address 0x40010 { section .rodata.azero };
place at address 0x40013 { section .rodata.aminus1 };

#--- out.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
place at address 0x20000 { section .text.thumb };
place at address 0x21004 { section .rodata.p12f };
place at address 0x1f008 { section .rodata.p12b };
place at address 0x2040c { section .rodata.p8max };
place at address 0x20012 { section .rodata.p8min };
