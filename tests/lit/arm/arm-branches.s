// Arm B, BL and BL<c> (R_ARM_CALL, R_ARM_JUMP24 and the older R_ARM_PC24)
// at the largest forward and backward offsets (+0x1fffffc and -0x2000000
// from P + 8), and one step past each. The callers never move; only the
// targets do, so the same object gives both links. In-place addends
// (bl f+8, bl f-8) count on top of the target.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi code.s -o code.o
// RUN: tanrek-ld -q --entry=Reset_Handler code.o -Tin.icf --cpu=cortex-a9 -o in.elf > in.out 2>&1; echo "status $?" >> in.out
// RUN: FileCheck --check-prefix=IN-OUT --match-full-lines --strict-whitespace %s < in.out
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex in.elf | FileCheck --check-prefix=IN %s

// IN-OUT-NOT:{{.}}
// IN-OUT:status 0

// IN:      1000000: ff ff 7f eb bl 0x3000004 <fwd0>
// IN-NEXT: 1000004: ff ff 7f ea b 0x3000008 <fwd1>
// IN-NEXT: 1000008: ff ff 7f 0b bleq 0x300000c <fwd2>
// IN-NEXT: 100000c: ff ff 7f eb bl 0x3000010 <fwd3>
// IN:      2100000: 00 00 80 eb bl 0x100008 <bwd0>
// IN-NEXT: 2100004: 00 00 80 ea b 0x10000c <bwd1>
// IN-NEXT: 2100008: 00 00 80 0b bleq 0x100010 <bwd2>
// IN-NEXT: 210000c: 00 00 80 eb bl 0x100014 <bwd3>
// IN:      2f00000: 04 00 04 eb bl 0x3000018
// IN-NEXT: 2f00004: fc ff 03 eb bl 0x2fffffc

// Relocating is deterministic: a second link gives the same file.
// RUN: tanrek-ld -q --entry=Reset_Handler code.o -Tin.icf --cpu=cortex-a9 -o again.elf
// RUN: cmp in.elf again.elf

// One step past each end. A branch that does not reach needs a veneer,
// which this linker does not build: the scan reports every site, and each
// application writes the truncated field and warns. --force-output keeps
// the image so that the truncated bits can be checked.
// RUN: tanrek-ld -q --entry=Reset_Handler code.o -Tout.icf --cpu=cortex-a9 --force-output -o out.elf > out.out 2>&1; echo "status $?" >> out.out
// RUN: FileCheck --check-prefix=OUT-OUT --match-full-lines --strict-whitespace %s < out.out
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex out.elf | FileCheck --check-prefix=OUT %s

// OUT-OUT:Diagnostics:
// OUT-OUT-NEXT:error: relocation R_ARM_CALL at .text.fwd+0 in file code.o [source address 01000000] to fwd0 needs a veneer, which this linker does not build yet
// OUT-OUT-NEXT:error: relocation R_ARM_JUMP24 at .text.fwd+4 in file code.o [source address 01000004] to fwd1 needs a veneer, which this linker does not build yet
// OUT-OUT-NEXT:error: relocation R_ARM_JUMP24 at .text.fwd+8 in file code.o [source address 01000008] to fwd2 needs a veneer, which this linker does not build yet
// OUT-OUT-NEXT:error: relocation R_ARM_PC24 at .text.fwd+12 in file code.o [source address 0100000c] to fwd3 needs a veneer, which this linker does not build yet
// OUT-OUT-NEXT:error: relocation R_ARM_CALL at .text.bwd+0 in file code.o [source address 02100000] to bwd0 needs a veneer, which this linker does not build yet
// OUT-OUT-NEXT:error: relocation R_ARM_JUMP24 at .text.bwd+4 in file code.o [source address 02100004] to bwd1 needs a veneer, which this linker does not build yet
// OUT-OUT-NEXT:error: relocation R_ARM_JUMP24 at .text.bwd+8 in file code.o [source address 02100008] to bwd2 needs a veneer, which this linker does not build yet
// OUT-OUT-NEXT:error: relocation R_ARM_PC24 at .text.bwd+12 in file code.o [source address 0210000c] to bwd3 needs a veneer, which this linker does not build yet
// OUT-OUT-NEXT:warning: relocation R_ARM_CALL to fwd0 truncated to fit at .text.fwd+0
// OUT-OUT-NEXT:warning: relocation R_ARM_JUMP24 to fwd1 truncated to fit at .text.fwd+4
// OUT-OUT-NEXT:warning: relocation R_ARM_JUMP24 to fwd2 truncated to fit at .text.fwd+8
// OUT-OUT-NEXT:warning: relocation R_ARM_PC24 to fwd3 truncated to fit at .text.fwd+12
// OUT-OUT-NEXT:warning: relocation R_ARM_CALL to bwd0 truncated to fit at .text.bwd+0
// OUT-OUT-NEXT:warning: relocation R_ARM_JUMP24 to bwd1 truncated to fit at .text.bwd+4
// OUT-OUT-NEXT:warning: relocation R_ARM_JUMP24 to bwd2 truncated to fit at .text.bwd+8
// OUT-OUT-NEXT:warning: relocation R_ARM_PC24 to bwd3 truncated to fit at .text.bwd+12
// OUT-OUT:status 100

// OUT:      1000000: 00 00 80 eb bl 0xff000008
// OUT-NEXT: 1000004: 00 00 80 ea b 0xff00000c
// OUT-NEXT: 1000008: 00 00 80 0b bleq 0xff000010
// OUT-NEXT: 100000c: 00 00 80 eb bl 0xff000014
// OUT:      2100000: ff ff 7f eb bl 0x4100004
// OUT-NEXT: 2100004: ff ff 7f ea b 0x4100008
// OUT-NEXT: 2100008: ff ff 7f 0b bleq 0x410000c
// OUT-NEXT: 210000c: ff ff 7f eb bl 0x4100010

// Offsets are taken modulo 2^32: a call from the top of the address space
// to its bottom, and back, is near.
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi wrap.s -o wrap.o
// RUN: tanrek-ld -q --entry=top wrap.o -Twrap.icf --cpu=cortex-a9 -o wrap.elf > wrap.out 2>&1; echo "status $?" >> wrap.out
// RUN: FileCheck --check-prefix=IN-OUT --match-full-lines --strict-whitespace %s < wrap.out
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex wrap.elf | FileCheck --check-prefix=WRAP %s
// WRAP:      100: 7e ff ff eb bl 0xffffff00
// WRAP:      ffffff00: 7e 00 00 eb bl 0x100

#--- wrap.s
        .syntax unified
        .arm
        .section .text.top, "ax", %progbits
        .p2align 2
        .globl top
        .type top, %function
top:    bl bottom
        .section .text.bottom, "ax", %progbits
        .p2align 2
        .globl bottom
        .type bottom, %function
bottom: bl top

#--- wrap.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
place at address 0xffffff00 { section .text.top };
place at address 0x100 { section .text.bottom };

#--- code.s
        .syntax unified
        .arm
        .macro func name
        .globl \name
        .type \name, %function
\name:  bx lr
        .endm

        .section .text.fwd, "ax", %progbits
        .p2align 2
        .globl Reset_Handler
        .type Reset_Handler, %function
Reset_Handler:
        bl fwd0
        b fwd1
        bleq fwd2
        .reloc ., R_ARM_PC24, fwd3
        .inst 0xebfffffe                @ bl . (in-place addend -8)

        .section .text.bwd, "ax", %progbits
        .p2align 2
        .globl back
        .type back, %function
back:   bl bwd0
        b bwd1
        bleq bwd2
        .reloc ., R_ARM_PC24, bwd3
        .inst 0xebfffffe

        // Targets four bytes apart, like their callers.
        .section .text.fwdt, "ax", %progbits
        .p2align 2
        func fwd0
        func fwd1
        func fwd2
        func fwd3
        .section .text.bwdt, "ax", %progbits
        .p2align 2
        func bwd0
        func bwd1
        func bwd2
        func bwd3

        // In-place addends: 8 bytes past fwd3 and 8 bytes before fwd0.
        .section .text.addend, "ax", %progbits
        .p2align 2
        .globl addend
        .type addend, %function
addend: bl fwd3+8
        bl fwd0-8

#--- in.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
keep { section .text.bwd, section .text.addend };
place at address 0x01000000 { section .text.fwd };
place at address 0x03000004 { section .text.fwdt };
place at address 0x02100000 { section .text.bwd };
place at address 0x00100008 { section .text.bwdt };
place at address 0x02f00000 { section .text.addend };

#--- out.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
keep { section .text.bwd };
place at address 0x01000000 { section .text.fwd };
place at address 0x03000008 { section .text.fwdt };
place at address 0x02100000 { section .text.bwd };
place at address 0x00100004 { section .text.bwdt };
