// A call to a function that no input defines gets no veneer, from Arm or
// Thumb code: the name is reported as undefined, construction ends after
// one scan, and no image is written.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi calls.s -o calls.o
// RUN: tanrek-ld -q --entry=arm_calls calls.o -Tlink.icf --cpu=cortex-a9 -o calls.elf --log-file calls.log > calls.out 2>&1; echo "status $?" >> calls.out
// RUN: FileCheck --check-prefix=OUT --match-full-lines --strict-whitespace %s < calls.out
// RUN: FileCheck --check-prefix=LOG --match-full-lines --strict-whitespace %s < calls.log
// RUN: test ! -e calls.elf

// OUT:Undefined symbols:
// OUT-NEXT:  nowhere
// OUT-EMPTY:
// OUT-NEXT:Diagnostics:
// OUT-NEXT:error: undefined symbols must be resolved to link successfully
// OUT-NEXT:status 100

// LOG:***{{ +}}Construct veneers{{ +}}***
// LOG-NOT:{{.*}}{{veneer|Allocate}}{{.*}}
// LOG:***{{ +}}Relocate image{{ +}}***

#--- calls.s
        .syntax unified
        .arm
        .section .text.arm, "ax", %progbits
        .p2align 2
        .globl arm_calls
        .type arm_calls, %function
arm_calls:
        bl nowhere
        b nowhere
        blx thumb_calls
        .thumb
        .section .text.thumb, "ax", %progbits
        .p2align 1
        .globl thumb_calls
        .type thumb_calls, %function
thumb_calls:
        bl nowhere
        b.w nowhere

#--- link.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
place at address 0x1000 { section .text.arm };
place at address 0x2000 { section .text.thumb };
