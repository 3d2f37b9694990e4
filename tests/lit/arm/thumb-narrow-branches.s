// The 16-bit Thumb branches, which never get veneers: B (R_ARM_THM_JUMP11,
// -2048..+2046 from P + 4), B<c> (R_ARM_THM_JUMP8, -256..+254) and CBZ/CBNZ
// (R_ARM_THM_JUMP6, forward only, 0..+126). Each sits at its largest
// offset (CBNZ at its smallest) and then one step past, where the link
// warns, writes the truncated field and still succeeds. The in-place
// addend of each is -4, as an assembler writes it for a branch to P + 4.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=thumbv7m-none-eabi code.s -o code.o
// RUN: tanrek-ld -q --entry=Reset_Handler code.o -Tin.icf --cpu=cortex-m3 -o in.elf > in.out 2>&1; echo "status $?" >> in.out
// RUN: FileCheck --check-prefix=IN-OUT --match-full-lines --strict-whitespace %s < in.out
// RUN: llvm-objdump -d --triple=thumbv7m --print-imm-hex in.elf | FileCheck --check-prefix=IN %s

// IN-OUT-NOT:{{.}}
// IN-OUT:status 0

// IN:      10000: ff e3 b 0x10802 <j11f>
// IN-NEXT: 10002: 00 e4 b 0xf806 <j11b>
// IN-NEXT: 10004: 7f d0 beq 0x10106 <j8f>
// IN-NEXT: 10006: 80 d1 bne 0xff0a <j8b>
// IN-NEXT: 10008: f8 b3 cbz r0, 0x1008a <j6f>
// IN-NEXT: 1000a: 01 b9 cbnz r1, 0x1000e <j6z>

// RUN: tanrek-ld -q --entry=Reset_Handler code.o -Tout.icf --cpu=cortex-m3 -o out.elf > out.out 2>&1; echo "status $?" >> out.out
// RUN: FileCheck --check-prefix=OUT-OUT --match-full-lines --strict-whitespace %s < out.out
// RUN: llvm-objdump -d --triple=thumbv7m --print-imm-hex out.elf | FileCheck --check-prefix=OUT %s

// OUT-OUT:Diagnostics:
// OUT-OUT-NEXT:warning: relocation R_ARM_THM_JUMP11 to j11f truncated to fit at .text.narrow+0
// OUT-OUT-NEXT:warning: relocation R_ARM_THM_JUMP11 to j11b truncated to fit at .text.narrow+2
// OUT-OUT-NEXT:warning: relocation R_ARM_THM_JUMP8 to j8f truncated to fit at .text.narrow+4
// OUT-OUT-NEXT:warning: relocation R_ARM_THM_JUMP8 to j8b truncated to fit at .text.narrow+6
// OUT-OUT-NEXT:warning: relocation R_ARM_THM_JUMP6 to j6f truncated to fit at .text.narrow+8
// OUT-OUT-NEXT:warning: relocation R_ARM_THM_JUMP6 to j6z truncated to fit at .text.narrow+10
// OUT-OUT:status 0

// OUT:      10000: 00 e4 b 0xf804
// OUT-NEXT: 10002: ff e3 b 0x10804
// OUT-NEXT: 10004: 80 d0 beq 0xff08
// OUT-NEXT: 10006: 7f d1 bne 0x10108
// OUT-NEXT: 10008: 00 b1 cbz r0, 0x1000c
// OUT-NEXT: 1000a: f9 bb cbnz r1, 0x1008c

#--- code.s
        .syntax unified
        .thumb
        .section .text.narrow, "ax", %progbits
        .p2align 1
        .globl Reset_Handler
        .type Reset_Handler, %function
Reset_Handler:
        .reloc ., R_ARM_THM_JUMP11, j11f
        b.n .
        .reloc ., R_ARM_THM_JUMP11, j11b
        b.n .
        .reloc ., R_ARM_THM_JUMP8, j8f
        beq.n .
        .reloc ., R_ARM_THM_JUMP8, j8b
        bne.n .
        // cbz r0 / cbnz r1 with i:imm5 = 1:11110, which reads as -4.
        .reloc ., R_ARM_THM_JUMP6, j6f
        .inst.n 0xb3f0
        .reloc ., R_ARM_THM_JUMP6, j6z
        .inst.n 0xbbf1

        .irp name, j11f, j11b, j8f, j8b, j6f, j6z
        .section .text.\name, "ax", %progbits
        .p2align 1
        .globl \name
        .type \name, %function
\name:  bx lr
        .endr

#--- in.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
place at address 0x10000 { section .text.narrow };
place at address 0x10802 { section .text.j11f };
place at address 0x0f806 { section .text.j11b };
place at address 0x10106 { section .text.j8f };
place at address 0x0ff0a { section .text.j8b };
place at address 0x1008a { section .text.j6f };
place at address 0x1000e { section .text.j6z };

#--- out.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
place at address 0x10000 { section .text.narrow };
place at address 0x10804 { section .text.j11f };
place at address 0x0f804 { section .text.j11b };
place at address 0x10108 { section .text.j8f };
place at address 0x0ff08 { section .text.j8b };
place at address 0x1008c { section .text.j6f };
place at address 0x1000c { section .text.j6z };
