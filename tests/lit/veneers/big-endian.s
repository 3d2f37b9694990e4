// Veneers in a big-endian image: their Arm words, Thumb halfwords and
// literals are stored in the image byte order, like the branches that
// reach them (each 32-bit Thumb instruction first halfword first).
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=armebv7a-none-eabi %S/Inputs/targets.s -o targets.o
// RUN: llvm-mc -filetype=obj -triple=armebv7a-none-eabi arm.s -o arm.o
// RUN: llvm-mc -filetype=obj -triple=thumbebv7a-none-eabi thumb.s -o thumb.o

// Arm LDR, Arm LDR+BX and Thumb-2 LDR from Arm code; Thumb-2 LDR+BX and
// Arm LDR from Thumb code.
// RUN: tanrek-ld -q --big-endian --entry=arm_calls arm.o thumb.o targets.o -T%S/Inputs/targets.icf -Ta9.icf --cpu=cortex-a9 -o a9.elf > a9.out 2>&1; echo "status $?" >> a9.out
// RUN: FileCheck --check-prefix=OK --match-full-lines --strict-whitespace %s < a9.out
// RUN: llvm-objdump -s -j .text.arm -j .text.thumb a9.elf | FileCheck --check-prefix=A9 %s

// OK-NOT:{{.}}
// OK:status 0

// A9:      1000 eb000001 ea000002 fa000004 e51ff004
// A9-NEXT: 1010 02100000 e59fc000 e12fff1c 00002001
// A9-NEXT: 1020 f8dff000 02200001
// A9:      1100 f000b802 f000e806 f8dfc004 476046c0
// A9-NEXT: 1110 00003000 e51ff004 02100000

// The Thumb-1 veneer on a v4T.
// RUN: tanrek-ld -q --big-endian --entry=v4_call thumb.o targets.o -T%S/Inputs/targets.icf -Tv4.icf --cpu=v4T -o v4.elf > v4.out 2>&1; echo "status $?" >> v4.out
// RUN: FileCheck --check-prefix=OK --match-full-lines --strict-whitespace %s < v4.out
// RUN: llvm-objdump -s -j .text.v4 v4.elf | FileCheck --check-prefix=V4 %s

// V4:      1200 f000f800 b4084b02 469cbc08 476046c0
// V4-NEXT: 1210 02200001

#--- arm.s
        .syntax unified
        .arm
        .section .text.arm, "ax", %progbits
        .p2align 2
        .globl arm_calls
        .type arm_calls, %function
arm_calls:
        bl afar
        b tnear
        bl tfar

#--- thumb.s
        .syntax unified
        .thumb
        .section .text.thumb, "ax", %progbits
        .p2align 1
        .globl thumb_calls
        .type thumb_calls, %function
thumb_calls:
        b.w anear
        bl afar

        .section .text.v4, "ax", %progbits
        .p2align 1
        .globl v4_call
        .type v4_call, %function
v4_call:
        bl tfar

#--- a9.icf
keep { section .text.thumb };
place at address 0x1000 { section .text.arm };
place at address 0x1100 { section .text.thumb };
#--- v4.icf
place at address 0x1200 { section .text.v4 };
