// Data words: R_ARM_ABS32 and R_ARM_TARGET1 add S + A to the word,
// R_ARM_REL32 and R_ARM_TARGET2 also subtract P, R_ARM_PREL31 keeps bit 31
// clear and reaches -0x40000000..0x3fffffff. The in-place addends (+4, -4,
// -8) and the Thumb bit of a function address come through. R_ARM_NONE and
// R_ARM_V4BX leave their place alone.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi words.s -o words.o
// RUN: llvm-mc -filetype=obj -triple=thumbv7a-none-eabi func.s -o func.o
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi abs.s -o abs.o
// RUN: tanrek-ld -q --entry=Reset_Handler words.o func.o abs.o -Tin.icf --cpu=cortex-a9 -o in.elf > in.out 2>&1; echo "status $?" >> in.out
// RUN: FileCheck --check-prefix=IN-OUT --match-full-lines --strict-whitespace %s < in.out
// RUN: llvm-objdump -s in.elf | FileCheck --check-prefix=WORDS %s
// RUN: llvm-objdump -s in.elf | FileCheck --check-prefix=PREL31 %s
// RUN: llvm-objdump -d --triple=armv7a --start-address=0x4000 --stop-address=0x4004 in.elf | FileCheck --check-prefix=V4BX %s

// IN-OUT-NOT:{{.}}
// IN-OUT:status 0

// obj+4, obj-4, tfn (Thumb), obj as TARGET1, obj-. and obj-.-8 as REL32,
// obj-. as TARGET2, obj and low as PREL31, the word under R_ARM_NONE, an
// absolute symbol plus 4, and obj again at an odd address.
// WORDS:      3000 44230100 3c230100 01500000 40230100
// WORDS-NEXT: 3010 30f30000 24f30000 28f30000 24f30000
// WORDS-NEXT: 3020 e0dfff7f 44332211 7c563412 11402301
// WORDS-NEXT: 3030 00223344
// PREL31: 40000000 ffffff3f 00000040
// V4BX: 4000: 1e ff 2f e1 bx lr

// PREL31 one step past each end: a warning each, bit 31 still clear.
// RUN: tanrek-ld -q --entry=Reset_Handler words.o func.o abs.o -Tout.icf --cpu=cortex-a9 -o out.elf > out.out 2>&1; echo "status $?" >> out.out
// RUN: FileCheck --check-prefix=OUT-OUT --match-full-lines --strict-whitespace %s < out.out
// RUN: llvm-objdump -s out.elf | FileCheck --check-prefix=OUT-PREL31 %s

// OUT-OUT:Diagnostics:
// OUT-OUT-NEXT:warning: relocation R_ARM_PREL31 to pfwd truncated to fit at .rodata.prel31+0
// OUT-OUT-NEXT:warning: relocation R_ARM_PREL31 to pbwd truncated to fit at .rodata.prel31+4
// OUT-OUT:status 0
// OUT-PREL31: 40000000 00000040 ffffff3f

// A target reached through its section symbol is named after the section.
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi secsym.s -o secsym.o
// RUN: tanrek-ld -q --entry=secsym secsym.o -Tsecsym.icf --cpu=cortex-a9 -o secsym.elf > secsym.out 2>&1; echo "status $?" >> secsym.out
// RUN: FileCheck --check-prefix=SECSYM --match-full-lines --strict-whitespace %s < secsym.out
// SECSYM:Diagnostics:
// SECSYM-NEXT:warning: relocation R_ARM_PREL31 to .rodata.far truncated to fit at .rodata.secsym+0
// SECSYM:status 0

// The linker's own veneer literal type (126) adds S + A; on a core without
// Arm state a target without the Thumb bit gets it, with a warning.
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi veneer.s -o veneer.o
// RUN: tanrek-ld -q --entry=vabs veneer.o words.o func.o -Tveneer.icf --cpu=cortex-m3 -o m3.elf > m3.out 2>&1; echo "status $?" >> m3.out
// RUN: FileCheck --check-prefix=M3-OUT --match-full-lines --strict-whitespace %s < m3.out
// RUN: llvm-objdump -s m3.elf | FileCheck --check-prefix=M3 %s
// RUN: tanrek-ld -q --entry=vabs veneer.o words.o func.o -Tveneer.icf --cpu=cortex-a9 -o a9.elf > a9.out 2>&1; echo "status $?" >> a9.out
// RUN: FileCheck --check-prefix=A9-OUT --match-full-lines --strict-whitespace %s < a9.out
// RUN: llvm-objdump -s a9.elf | FileCheck --check-prefix=A9 %s

// M3-OUT:Diagnostics:
// M3-OUT-NEXT:warning: call from .rodata.vabs made to obj but obj is a symbol without the low bit set
// M3-OUT-NOT:tfn
// M3-OUT:status 0
// M3: 6000 45230100 05500000
// A9-OUT-NOT:{{.}}
// A9-OUT:status 0
// A9: 6000 44230100 05500000

#--- veneer.s
        .section .rodata.vabs, "a", %progbits
        .globl vabs, obj, tfn
vabs:   .reloc ., R_ARM_PRIVATE_14, obj
        .word 4
        .reloc ., R_ARM_PRIVATE_14, tfn
        .word 4

#--- veneer.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
place at address 0x6000 { section .rodata.vabs };
place at address 0x5000 { section .text.tfn };
place at address 0x12340 { section .rodata.obj };

#--- secsym.s
        .section .rodata.secsym, "a", %progbits
        .globl secsym
secsym: .word .Lfar(prel31)
        .section .rodata.far, "a", %progbits
        .word 0
.Lfar:  .word 0

#--- secsym.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
place at address 0x40000000 { section .rodata.secsym };
place at address 0x80000000 { section .rodata.far };

#--- words.s
        .syntax unified
        .section .rodata.words, "a", %progbits
        .globl Reset_Handler
Reset_Handler:
        .word obj+4
        .word obj-4
        .word tfn
        .word obj(target1)
        .word obj-.
        .word obj-.-8
        .word obj(target2)
        .word obj(prel31)
        .word low(prel31)
        .reloc ., R_ARM_NONE, obj
        .word 0x11223344
        .word ext_abs+4
        .byte 0x11
        .word obj
        .byte 0x22, 0x33, 0x44

        .section .rodata.prel31, "a", %progbits
        .word pfwd(prel31)
        .word pbwd(prel31)

        .section .text.v4bx, "ax", %progbits
        .p2align 2
        .reloc ., R_ARM_V4BX, obj
        bx lr

        .irp name, obj, low, pfwd, pbwd
        .section .rodata.\name, "a", %progbits
        .globl \name
\name:  .byte 0
        .endr

#--- abs.s
        .globl ext_abs
        .set ext_abs, 0x12345678

#--- func.s
        .syntax unified
        .thumb
        .section .text.tfn, "ax", %progbits
        .p2align 1
        .globl tfn
        .type tfn, %function
tfn:    bx lr

#--- in.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
keep { section .rodata.prel31, section .text.v4bx };
place at address 0x3000 { section .rodata.words };
place at address 0x4000 { section .text.v4bx };
place at address 0x5000 { section .text.tfn };
place at address 0x12340 { section .rodata.obj };
place at address 0x1000 { section .rodata.low };
place at address 0x40000000 { section .rodata.prel31 };
place at address 0x7fffffff { section .rodata.pfwd };
place at address 0x00000004 { section .rodata.pbwd };

#--- out.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
keep { section .rodata.prel31 };
place at address 0x3000 { section .rodata.words };
place at address 0x5000 { section .text.tfn };
place at address 0x12340 { section .rodata.obj };
place at address 0x1000 { section .rodata.low };
place at address 0x40000000 { section .rodata.prel31 };
place at address 0x80000000 { section .rodata.pfwd };
place at address 0x00000003 { section .rodata.pbwd };
