// What each --cpu name allows, seen through relocation: whether Thumb-2
// exists (a Thumb BL to an undefined weak function becomes NOP.W, else two
// 16-bit no-ops), whether the core runs Arm code (an Arm BL is a fatal
// core mismatch otherwise), and whether it has BLX (an Arm BL to a Thumb
// function becomes BLX, else it goes through a veneer).
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=thumbv7m-none-eabi thumb.s -o thumb.o
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi arm.s -o arm.o
// RUN: for cpu in arm7tdmi arm7tdmi-s v4T v5T v5TE cortex-m0 cortex-m0plus cortex-m1 cortex-m23 6-M \
// RUN:            cortex-m3 cortex-m4 cortex-m7 cortex-m33 7-M 7E-M 8-M.main cortex-a8 cortex-a9 7-A 8-M.base; do \
// RUN:   rm -f t.elf a.elf; tanrek-ld -q --entry=thumb_weak thumb.o -Tlink.icf --cpu=$cpu -o t.elf > t.out 2>&1 || exit 1; \
// RUN:   nop=$(llvm-objdump -s -j .text.thumb t.elf | grep -o "1000 [0-9a-f]*"); \
// RUN:   tanrek-ld -q --entry=arm_call arm.o thumb.o -Tlink.icf --cpu=$cpu -o a.elf > a.out 2>&1; \
// RUN:   status=$?; \
// RUN:   call=$(llvm-objdump -s -j .text.arm a.elf 2>/dev/null | grep -o "2000 [0-9a-f]*"); \
// RUN:   echo "$cpu: $nop | $status ${call:-no image} $(grep -c 'core mismatch' a.out) $(llvm-readelf -s a.elf 2>/dev/null | grep -c _veneer_)" >> cores.txt; \
// RUN: done
// RUN: FileCheck --match-full-lines --strict-whitespace %s < cores.txt

// Columns: the no-op at 0x1000; the Arm link's status, the BL or BLX at
// 0x2000, the count of core mismatches and of veneer symbols.
// CHECK:arm7tdmi: 1000 c046c046 | 0 2000 ffffffeb 0 1
// CHECK-NEXT:arm7tdmi-s: 1000 c046c046 | 0 2000 ffffffeb 0 1
// CHECK-NEXT:v4T: 1000 c046c046 | 0 2000 ffffffeb 0 1
// CHECK-NEXT:v5T: 1000 c046c046 | 0 2000 fe0300fa 0 0
// CHECK-NEXT:v5TE: 1000 c046c046 | 0 2000 fe0300fa 0 0
// CHECK-NEXT:cortex-m0: 1000 c046c046 | 100 no image 1 0
// CHECK-NEXT:cortex-m0plus: 1000 c046c046 | 100 no image 1 0
// CHECK-NEXT:cortex-m1: 1000 c046c046 | 100 no image 1 0
// CHECK-NEXT:cortex-m23: 1000 c046c046 | 100 no image 1 0
// CHECK-NEXT:6-M: 1000 c046c046 | 100 no image 1 0
// CHECK-NEXT:cortex-m3: 1000 aff30080 | 100 no image 1 0
// CHECK-NEXT:cortex-m4: 1000 aff30080 | 100 no image 1 0
// CHECK-NEXT:cortex-m7: 1000 aff30080 | 100 no image 1 0
// CHECK-NEXT:cortex-m33: 1000 aff30080 | 100 no image 1 0
// CHECK-NEXT:7-M: 1000 aff30080 | 100 no image 1 0
// CHECK-NEXT:7E-M: 1000 aff30080 | 100 no image 1 0
// CHECK-NEXT:8-M.main: 1000 aff30080 | 100 no image 1 0
// CHECK-NEXT:cortex-a8: 1000 aff30080 | 0 2000 fe0300fa 0 0
// CHECK-NEXT:cortex-a9: 1000 aff30080 | 0 2000 fe0300fa 0 0
// CHECK-NEXT:7-A: 1000 aff30080 | 0 2000 fe0300fa 0 0
// CHECK-NEXT:8-M.base: 1000 c046c046 | 100 no image 1 0

#--- thumb.s
        .syntax unified
        .thumb
        .weak wfn
        .section .text.thumb, "ax", %progbits
        .p2align 1
        .globl thumb_weak
        .type thumb_weak, %function
thumb_weak:
        bl wfn
        .section .text.tfn, "ax", %progbits
        .p2align 1
        .globl tfn
        .type tfn, %function
tfn:    bx lr

#--- arm.s
        .syntax unified
        .arm
        .section .text.arm, "ax", %progbits
        .p2align 2
        .globl arm_call
        .type arm_call, %function
arm_call:
        bl tfn

#--- link.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
place at address 0x1000 { section .text.thumb };
place at address 0x2000 { section .text.arm };
place at address 0x3000 { section .text.tfn };
