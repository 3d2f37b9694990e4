// Calls and references to a weak function that nothing defines. A Thumb BL
// becomes a 4-byte no-op (two MOV r8, r8 without Thumb-2, NOP.W with it)
// and is always accepted; every other reference is an error unless
// --undefined-weak-is-zero, with which Arm B/BL become MOV r0, r0, Thumb
// B.W becomes NOP.W, and data and MOVW take the value 0 plus the addend.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=thumbv7m-none-eabi call.s -o call.o
// RUN: llvm-mc -filetype=obj -triple=thumbv7m-none-eabi other.s -o other.o
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi arm.s -o arm.o

// RUN: tanrek-ld -q --entry=Reset_Handler call.o -Tlink.icf --cpu=cortex-m0 -o m0.elf > m0.out 2>&1; echo "status $?" >> m0.out
// RUN: tanrek-ld -q --entry=Reset_Handler call.o -Tlink.icf --cpu=cortex-m3 -o m3.elf > m3.out 2>&1; echo "status $?" >> m3.out
// RUN: FileCheck --check-prefix=CLEAN --match-full-lines --strict-whitespace %s < m0.out
// RUN: tanrek-ld -q --entry=Reset_Handler call.o -Tlink.icf --cpu=8-M.base -o base.elf > base.out 2>&1; echo "status $?" >> base.out
// RUN: FileCheck --check-prefix=CLEAN --match-full-lines --strict-whitespace %s < m3.out
// RUN: FileCheck --check-prefix=CLEAN --match-full-lines --strict-whitespace %s < base.out
// RUN: llvm-objdump -d --triple=thumbv6m base.elf | FileCheck --check-prefix=M0 %s
// RUN: llvm-objdump -d --triple=thumbv6m m0.elf | FileCheck --check-prefix=M0 %s
// RUN: llvm-objdump -d --triple=thumbv7m m3.elf | FileCheck --check-prefix=M3 %s

// CLEAN-NOT:{{.}}
// CLEAN:status 0
// M0:      1000: c0 46 mov r8, r8
// M0-NEXT: 1002: c0 46 mov r8, r8
// M3:      1000: af f3 00 80 nop.w

// RUN: tanrek-ld -q --entry=Reset_Handler call.o other.o arm.o -Tlink.icf --cpu=cortex-a9 -o weak.out.elf > weak.out 2>&1; echo "status $?" >> weak.out
// RUN: FileCheck --check-prefix=WEAK --match-full-lines --strict-whitespace %s < weak.out

// WEAK:Diagnostics:
// WEAK-NEXT:error: Relocation R_ARM_THM_JUMP24 to weak symbol 'wfn' is invalid
// WEAK-NEXT:error: To treat undefined weak symbols as zero, use the command line option --undefined-weak-is-zero
// WEAK-NEXT:error: Relocation R_ARM_THM_MOVW_ABS_NC to weak symbol 'wfn' is invalid
// WEAK-NEXT:error: To treat undefined weak symbols as zero, use the command line option --undefined-weak-is-zero
// WEAK-NEXT:error: Relocation R_ARM_ABS32 to weak symbol 'wfn' is invalid
// WEAK-NEXT:error: To treat undefined weak symbols as zero, use the command line option --undefined-weak-is-zero
// WEAK-NEXT:error: Relocation R_ARM_CALL to weak symbol 'wfn' is invalid
// WEAK-NEXT:error: To treat undefined weak symbols as zero, use the command line option --undefined-weak-is-zero
// WEAK-NEXT:error: Relocation R_ARM_JUMP24 to weak symbol 'wfn' is invalid
// WEAK-NEXT:error: To treat undefined weak symbols as zero, use the command line option --undefined-weak-is-zero
// WEAK-NOT:error:
// WEAK:status 100

// RUN: tanrek-ld -q --entry=Reset_Handler call.o other.o arm.o -Tlink.icf --cpu=cortex-a9 --undefined-weak-is-zero -o zero.elf > zero.out 2>&1; echo "status $?" >> zero.out
// RUN: FileCheck --check-prefix=CLEAN --match-full-lines --strict-whitespace %s < zero.out
// RUN: llvm-objdump -d --triple=thumbv7a --start-address=0x1000 --stop-address=0x2008 zero.elf | FileCheck --check-prefix=ZERO-THUMB %s
// RUN: llvm-objdump -d --triple=armv7a --start-address=0x3000 --stop-address=0x3008 zero.elf | FileCheck --check-prefix=ZERO-ARM %s
// RUN: llvm-objdump -s zero.elf | FileCheck --check-prefix=ZERO-DATA %s

// ZERO-THUMB:      1000: af f3 00 80 nop.w
// ZERO-THUMB:      2000: af f3 00 80 nop.w
// ZERO-THUMB-NEXT: 2004: 40 f2 08 00 movw r0, #8
// ZERO-ARM:        3000: 00 00 a0 e1 mov r0, r0
// ZERO-ARM-NEXT:   3004: 00 00 a0 e1 mov r0, r0
// ZERO-DATA:       4000 04000000

// A call to a function that is not defined at all is reported once, as an
// undefined symbol: it neither asks for a veneer nor counts as weak.
// RUN: llvm-mc -filetype=obj -triple=thumbv7m-none-eabi missing.s -o missing.o
// RUN: tanrek-ld -q --entry=Reset_Handler missing.o -Tlink.icf --cpu=cortex-m3 -o missing.elf > missing.out 2>&1; echo "status $?" >> missing.out
// RUN: FileCheck --check-prefix=MISSING --match-full-lines --strict-whitespace %s < missing.out
// MISSING:Undefined symbols:
// MISSING-NEXT:  missing
// MISSING-EMPTY:
// MISSING-NEXT:Diagnostics:
// MISSING-NEXT:error: undefined symbols must be resolved to link successfully
// MISSING-NEXT:status 100

#--- missing.s
        .syntax unified
        .thumb
        .section .text.call, "ax", %progbits
        .p2align 1
        .globl Reset_Handler
        .type Reset_Handler, %function
Reset_Handler:
        bl missing
        b.w missing

#--- call.s
        .syntax unified
        .thumb
        .weak wfn
        .section .text.call, "ax", %progbits
        .p2align 1
        .globl Reset_Handler
        .type Reset_Handler, %function
Reset_Handler:
        bl wfn

#--- other.s
        .syntax unified
        .thumb
        .weak wfn
        .section .text.other, "ax", %progbits
        .p2align 1
        .globl other
        .type other, %function
other:  b.w wfn
        movw r0, #:lower16:wfn+8
        .section .rodata.weak, "a", %progbits
        .globl weak_word
weak_word:
        .word wfn+4

#--- arm.s
        .syntax unified
        .arm
        .weak wfn
        .section .text.arm, "ax", %progbits
        .p2align 2
        .globl arm_calls
        .type arm_calls, %function
arm_calls:
        bl wfn
        b wfn

#--- link.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
keep { section .text.other, section .rodata.weak, section .text.arm };
place at address 0x1000 { section .text.call };
place at address 0x2000 { section .text.other };
place at address 0x3000 { section .text.arm };
place at address 0x4000 { section .rodata.weak };
