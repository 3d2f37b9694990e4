// Records from an SHT_RELA section carry their addend in the record: a
// Thumb BL whose instruction holds offset 0 with the record's -4, and a
// zero word with the record's +0x100. The RELA section is made from data
// and patched into shape, since assemblers write REL for Arm.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: arm-none-eabi-as -mthumb -mcpu=cortex-m3 code.s -o code.o
// RUN: llvm-mc -filetype=obj -triple=thumbv7m-none-eabi target.s -o target.o
// RUN: python3 %S/../input/Inputs/elfpatch.py code.o ".myrela.sh_info=sec('.text.main')" ".myrela.sh_link=sec('.symtab')" .myrela.sh_entsize=12
// RUN: python3 %S/../input/Inputs/elfpatch.py code.o ".myrela.rel[0].r_sym=sym('target')" ".myrela.rel[1].r_sym=sym('target')"
// RUN: llvm-readelf -r code.o | FileCheck --check-prefix=INPUT %s
// INPUT: R_ARM_THM_CALL {{.*}} target - 4
// INPUT: R_ARM_ABS32 {{.*}} target + 100

// RUN: tanrek-ld -q --entry=Reset_Handler code.o target.o -Tlink.icf --cpu=cortex-m3 -o out.elf > out.out 2>&1; echo "status $?" >> out.out
// RUN: FileCheck --check-prefix=OUT --match-full-lines --strict-whitespace %s < out.out
// RUN: llvm-objdump -d --triple=thumbv7m --start-address=0x1000 --stop-address=0x1004 out.elf | FileCheck --check-prefix=CODE %s
// RUN: llvm-objdump -s out.elf | FileCheck --check-prefix=DATA %s
// OUT-NOT:{{.}}
// OUT:status 0
// CODE: 1000: 00 f0 fe ff bl 0x2000 <target>
// DATA: 1000 00f0feff 01210000

#--- code.s
        .syntax unified
        .thumb
        .section .text.main, "ax", %progbits
        .p2align 2
        .globl Reset_Handler
        .type Reset_Handler, %function
Reset_Handler:
        .inst.w 0xf000f800              @ bl . + 4: the offset field is 0
        .word 0
        @ Makes the assembler put target in the symbol table.
        .section .text.unused, "ax", %progbits
        .word target
        @ r_offset, r_info (type only; the symbol is patched in), r_addend
        .section .myrela, "", %4
        .word 0, 10, -4
        .word 4, 2, 0x100

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
place at address 0x2000 { section .text.target };
