// Far branches whose addends are in SHT_RELA records (the instructions'
// own offset fields are 0): a BL with the usual -4, whose veneer's literal
// is the target's address with its Thumb bit, and a B.W with +4, which
// goes 8 bytes past the target and so gets a veneer of its own. The RELA
// section is made from data and patched into shape, since assemblers
// write REL for Arm.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: arm-none-eabi-as -mthumb -mcpu=cortex-m3 code.s -o code.o
// RUN: llvm-mc -filetype=obj -triple=thumbv7m-none-eabi target.s -o target.o
// RUN: python3 %S/../input/Inputs/elfpatch.py code.o ".myrela.sh_info=sec('.text.main')" ".myrela.sh_link=sec('.symtab')" .myrela.sh_entsize=12
// RUN: python3 %S/../input/Inputs/elfpatch.py code.o ".myrela.rel[0].r_sym=sym('target')" ".myrela.rel[1].r_sym=sym('target')"
// RUN: llvm-readelf -r code.o | FileCheck --check-prefix=INPUT %s
// INPUT: R_ARM_THM_CALL {{.*}} target - 4
// INPUT: R_ARM_THM_JUMP24 {{.*}} target + 4

// RUN: tanrek-ld -q --entry=Reset_Handler code.o target.o -Tlink.icf --cpu=cortex-m3 -o out.elf > out.out 2>&1; echo "status $?" >> out.out
// RUN: FileCheck --check-prefix=OUT --match-full-lines --strict-whitespace %s < out.out
// RUN: llvm-objdump -s -j .text.main out.elf | FileCheck --check-prefix=DATA %s
// OUT-NOT:{{.}}
// OUT:status 0

// The BL to the first veneer, the B.W to the second (offsets 4 and 8 from
// P + 4); the literals are target + 1 and target + 1 + 8.
// DATA:      1000 00f002f8 00f004b8 dff800f0 01000002
// DATA-NEXT: 1010 dff800f0 09000002

#--- code.s
        .syntax unified
        .thumb
        .section .text.main, "ax", %progbits
        .p2align 2
        .globl Reset_Handler
        .type Reset_Handler, %function
Reset_Handler:
        .inst.w 0xf000f800              @ bl . + 4: the offset field is 0
        .inst.w 0xf000b800              @ b.w . + 4
        @ Makes the assembler put target in the symbol table.
        .section .text.unused, "ax", %progbits
        .word target
        @ r_offset, r_info (type only; the symbol is patched in), r_addend
        .section .myrela, "", %4
        .word 0, 10, -4
        .word 4, 30, 4

#--- target.s
        .syntax unified
        .thumb
        .section .text.target, "ax", %progbits
        .p2align 1
        .globl target
        .type target, %function
target: bx lr

#--- link.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
place at address 0x1000 { section .text.main };
place at address 0x02000000 { section .text.target };
