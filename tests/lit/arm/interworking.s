// Calls between Arm and Thumb code. With BLX (cortex-a9, v5TE) an Arm BL to
// a Thumb function becomes BLX with the H bit carrying the halfword, and a
// Thumb BL to an Arm function becomes BLX counted from the word-aligned
// place. Everything else that changes state (conditional BL, B, B.W, any
// call on v4T) goes through a veneer; narrow Thumb branches never get one.
// M-profile cores cannot run Arm code at all.
//
// RUN: rm -rf %t && split-file %s %t && cd %t
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi arm.s -o arm.o
// RUN: llvm-mc -filetype=obj -triple=thumbv7a-none-eabi thumb.s -o thumb.o
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi armerr.s -o armerr.o
// RUN: llvm-mc -filetype=obj -triple=thumbv7a-none-eabi thumberr.s -o thumberr.o
// RUN: llvm-mc -filetype=obj -triple=thumbv7a-none-eabi funcs.s -o funcs.o

// RUN: tanrek-ld -q --entry=Reset_Handler arm.o thumb.o funcs.o -Tlink.icf --cpu=cortex-a9 -o a9.elf > a9.out 2>&1; echo "status $?" >> a9.out
// RUN: FileCheck --check-prefix=CALLS-OUT --match-full-lines --strict-whitespace %s < a9.out
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex --start-address=0x1000 --stop-address=0x1010 a9.elf | FileCheck --check-prefix=CALLS-ARM %s
// RUN: llvm-objdump -d --triple=thumbv7a --print-imm-hex --start-address=0x2000 --stop-address=0x2006 a9.elf | FileCheck --check-prefix=CALLS-THUMB %s
// RUN: tanrek-ld -q --entry=Reset_Handler arm.o thumb.o funcs.o -Tlink.icf --cpu=v5TE -o v5.elf > v5.out 2>&1; echo "status $?" >> v5.out
// RUN: FileCheck --check-prefix=CALLS-OUT --match-full-lines --strict-whitespace %s < v5.out
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex --start-address=0x1000 --stop-address=0x1010 v5.elf | FileCheck --check-prefix=CALLS-ARM %s
// RUN: llvm-objdump -d --triple=thumbv7a --print-imm-hex --start-address=0x2000 --stop-address=0x2006 v5.elf | FileCheck --check-prefix=CALLS-THUMB %s

// A BL to a label that is not a function is still a plain BL, with a warning.
// CALLS-OUT:Diagnostics:
// CALLS-OUT-NEXT:warning: relocation R_ARM_CALL to non-function symbol notfn at .text.arm+12
// CALLS-OUT:status 0

// CALLS-ARM:      1000: 40 00 00 fb blx 0x110a <tf_h>
// CALLS-ARM-NEXT: 1004: 40 00 00 fa blx 0x110c <tf_0>
// CALLS-ARM-NEXT: 1008: 41 00 00 fb blx 0x1116 <tf_h2>
// CALLS-ARM-NEXT: 100c: 7b 00 00 eb bl 0x1200 <notfn>
// CALLS-THUMB:      2002: 00 f0 fe ef blx 0x3000 <af>

// Conditional BL and B to Thumb code, and B.W to Arm code, go through
// veneers (their kinds are tested with the veneers); an R_ARM_CALL on an
// instruction that is neither BL nor BLX is left alone with a warning; a
// Thumb BLX to Thumb code is an error, and so is every narrow branch to Arm
// code.
// RUN: tanrek-ld -q --entry=Reset_Handler armerr.o thumberr.o funcs.o -Tlink.icf --cpu=cortex-a9 -o err.elf > err.out 2>&1; echo "status $?" >> err.out
// RUN: FileCheck --check-prefix=ERR --match-full-lines --strict-whitespace %s < err.out

// ERR:Diagnostics:
// ERR-NEXT:warning: relocation R_ARM_CALL applied to opcode 0xE1A00000 (neither BL nor BLX) to symbol at tf_0
// ERR:error: relocation R_ARM_THM_CALL to Arm-mode function but symbol is Thumb-mode, at .text.thumberr+4 to tf_0
// ERR-NEXT:error: {{.+}}
// ERR:error: non-veneerable relocation R_ARM_THM_JUMP11 from Thumb to Arm-mode function, at .text.thumberr+8 to anear
// ERR-NEXT:error: non-veneerable relocation R_ARM_THM_JUMP8 from Thumb to Arm-mode function, at .text.thumberr+10 to anear
// ERR-NEXT:error: non-veneerable relocation R_ARM_THM_JUMP19 from Thumb to Arm-mode function, at .text.thumberr+12 to anear
// ERR-NEXT:error: non-veneerable relocation R_ARM_THM_JUMP6 from Thumb to Arm-mode function, at .text.thumberr+16 to anear
// ERR:status 100

// On v4T, Arm and Thumb calls across modes go through veneers: Arm LDR+BX
// from Arm code, the Thumb-1 veneer from Thumb code (whose section, 6 bytes
// long, is padded to 8 first).
// RUN: tanrek-ld -q --entry=Reset_Handler arm.o thumb.o funcs.o -Tlink.icf --cpu=v4T -o v4.elf > v4.out 2>&1; echo "status $?" >> v4.out
// RUN: FileCheck --check-prefix=V4 --match-full-lines --strict-whitespace %s < v4.out
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex --start-address=0x1000 --stop-address=0x1028 v4.elf | FileCheck --check-prefix=V4-ARM %s
// RUN: llvm-objdump -d --triple=thumbv4t --print-imm-hex --start-address=0x2002 --stop-address=0x2018 v4.elf | FileCheck --check-prefix=V4-THUMB %s
// V4:Diagnostics:
// V4-NEXT:warning: relocation R_ARM_CALL to non-function symbol notfn at .text.arm+12
// V4:status 0
// V4-ARM:      1000: 02 00 00 eb bl 0x1010 <tf_h__AT_veneer_A32_LDR_BX>
// V4-ARM-NEXT: 1004: 04 00 00 eb bl 0x101c <tf_0__AT_veneer_A32_LDR_BX>
// V4-ARM:      1018: 0b 11 00 00 .word 0x0000110b
// V4-ARM:      1024: 0d 11 00 00 .word 0x0000110d
// V4-THUMB:      2002: 00 f0 01 f8 bl 0x2008 <af__TT_veneer_T16_LDR_BX>
// V4-THUMB:      2014: 00 30 00 00 .word 0x00003000

// On an M-profile core a Thumb BL to Arm code is an error, still written
// as BL; a B.W to Arm code is an error and left alone.
// RUN: tanrek-ld -q thumb.o thumberr.o funcs.o -Tlink.icf --cpu=cortex-m3 --entry=thumb_calls --force-output -o m3.elf > m3.out 2>&1; echo "status $?" >> m3.out
// RUN: FileCheck --check-prefix=M3 --match-full-lines --strict-whitespace %s < m3.out
// RUN: llvm-objdump -d --triple=thumbv7m --print-imm-hex --start-address=0x2000 --stop-address=0x2006 m3.elf | FileCheck --check-prefix=M3-THUMB %s
// RUN: llvm-objdump -d --triple=thumbv7m --print-imm-hex --start-address=0x5000 --stop-address=0x5004 m3.elf | FileCheck --check-prefix=M3-BW %s

// M3:Diagnostics:
// M3-NEXT:error: relocation R_ARM_THM_CALL to Arm-mode function not supported on this core, at .text.thumb+2 to af
// M3-NEXT:error: {{.+}}
// M3-NEXT:error: relocation R_ARM_THM_CALL to Arm-mode function not supported on this core, at .text.thumberr+0 to af
// M3-NEXT:error: {{.+}}
// M3:status 100
// M3-THUMB: 2002: 00 f0 fe ff bl 0x3002
// M3-BW:    5000: ff f7 fe bf b.w 0x5000

// The reach of a mode-changing call: an Arm BLX takes the halfword in H
// (+0x1fffffe, -0x2000000 from P + 8), a Thumb BLX counts words from the
// aligned place (+0xfffffc, -0x1000000). One step past, the BLX goes to a
// veneer in the other state, which loads the target into pc.
// RUN: llvm-mc -filetype=obj -triple=armv7a-none-eabi far.s -o far.o
// RUN: tanrek-ld -q --entry=far_arm far.o -Tfar.icf --cpu=cortex-a9 -o far.elf > far.out 2>&1; echo "status $?" >> far.out
// RUN: FileCheck --check-prefix=FAR-OUT --match-full-lines --strict-whitespace %s < far.out
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex --start-address=0x2400000 --stop-address=0x2400008 far.elf | FileCheck --check-prefix=FAR-ARM %s
// RUN: llvm-objdump -d --triple=thumbv7a --print-imm-hex --start-address=0x2500000 --stop-address=0x2500008 far.elf | FileCheck --check-prefix=FAR-THUMB %s
// FAR-OUT-NOT:{{.}}
// FAR-OUT:status 0
// FAR-ARM:      2400000: ff ff 7f fb blx 0x4400006 <tmaxf>
// FAR-ARM-NEXT: 2400004: 00 00 80 fa blx 0x40000c <tmaxb>
// FAR-THUMB:      2500000: ff f3 fe c7 blx 0x3500000 <amaxf>
// FAR-THUMB-NEXT: 2500004: 00 f4 00 c0 blx 0x1500008 <amaxb>

// RUN: tanrek-ld -q --entry=far_arm far.o -Tpast.icf --cpu=cortex-a9 -o past.elf > past.out 2>&1; echo "status $?" >> past.out
// RUN: FileCheck --check-prefix=FAR-OUT --match-full-lines --strict-whitespace %s < past.out
// RUN: llvm-objdump -d --triple=armv7a --print-imm-hex --start-address=0x2400000 --stop-address=0x2400018 past.elf | FileCheck --check-prefix=PAST-ARM %s
// RUN: llvm-objdump -d --triple=thumbv7a --print-imm-hex --start-address=0x2500000 --stop-address=0x2500018 past.elf | FileCheck --check-prefix=PAST-THUMB %s
// PAST-ARM:      2400000: 00 00 00 fa blx 0x2400008 <tmaxf__AT_veneer_T32_LDR>
// PAST-ARM-NEXT: 2400004: 01 00 00 fa blx 0x2400010 <tmaxb__AT_veneer_T32_LDR>
// PAST-ARM:      240000c: 09 00 40 04 .word 0x04400009
// PAST-ARM:      2400014: 0b 00 40 00 .word 0x0040000b
// PAST-THUMB:      2500000: 00 f0 02 e8 blx 0x2500008 <amaxf__TA_veneer_A32_LDR>
// PAST-THUMB-NEXT: 2500004: 00 f0 04 e8 blx 0x2500010 <amaxb__TA_veneer_A32_LDR>
// PAST-THUMB:      250000c: 04 00 50 03 .word 0x03500004
// PAST-THUMB:      2500014: 04 00 50 01 .word 0x01500004

// An Arm call on a core without Arm state ends the link.
// RUN: tanrek-ld -q --entry=Reset_Handler arm.o funcs.o -Tlink.icf --cpu=cortex-m3 -o fatal.elf > fatal.out 2>&1; echo "status $?" >> fatal.out
// RUN: FileCheck --check-prefix=FATAL --match-full-lines --strict-whitespace %s < fatal.out
// FATAL:error: cannot handle relocation R_ARM_CALL in file arm.o section .text.arm (core mismatch)
// FATAL-NEXT:status 100

#--- arm.s
        .syntax unified
        .arm
        .section .text.arm, "ax", %progbits
        .p2align 2
        .globl Reset_Handler
        .type Reset_Handler, %function
Reset_Handler:
        bl tf_h
        bl tf_0
        blx tf_h2
        bl notfn

#--- thumb.s
        .syntax unified
        .thumb
        .section .text.thumb, "ax", %progbits
        .p2align 2
        .globl thumb_calls
        .type thumb_calls, %function
thumb_calls:
        nop
        bl af

#--- armerr.s
        .syntax unified
        .arm
        .section .text.armerr, "ax", %progbits
        .p2align 2
        .globl Reset_Handler
        .type Reset_Handler, %function
Reset_Handler:
        bleq tf_0
        b tf_0
        .reloc ., R_ARM_CALL, tf_0
        mov r0, r0

#--- thumberr.s
        .syntax unified
        .thumb
        .section .text.thumberr, "ax", %progbits
        .p2align 2
        .globl thumb_errors
        .type thumb_errors, %function
        .globl anear
thumb_errors:
        b.w af
        blx tf_0
        .reloc ., R_ARM_THM_JUMP11, anear
        b.n .
        .reloc ., R_ARM_THM_JUMP8, anear
        beq.n .
        beq.w anear
        .reloc ., R_ARM_THM_JUMP6, anear
        .inst.n 0xb3f0                  @ cbz r0, with the in-place addend -4

#--- funcs.s
        .syntax unified
        .thumb
        .irp name, tf_h, tf_0, tf_h2
        .section .text.\name, "ax", %progbits
        .p2align 1
        .globl \name
        .type \name, %function
\name:  bx lr
        .endr
        .arm
        .irp name, af, anear
        .section .text.\name, "ax", %progbits
        .p2align 2
        .globl \name
        .type \name, %function
\name:  bx lr
        .endr
        .section .text.notfn, "ax", %progbits
        .p2align 2
        .globl notfn
notfn:  bx lr

#--- far.s
        .syntax unified
        .arm
        .section .text.afar, "ax", %progbits
        .p2align 2
        .globl far_arm
        .type far_arm, %function
far_arm:
        bl tmaxf
        bl tmaxb
        .irp name, amaxf, amaxb
        .section .text.\name, "ax", %progbits
        .p2align 2
        .globl \name
        .type \name, %function
\name:  bx lr
        .endr
        .thumb
        .section .text.tfar, "ax", %progbits
        .p2align 2
        .globl far_thumb
        .type far_thumb, %function
far_thumb:
        bl amaxf
        bl amaxb
        .irp name, tmaxf, tmaxb
        .section .text.\name, "ax", %progbits
        .p2align 1
        .globl \name
        .type \name, %function
\name:  bx lr
        .endr

#--- far.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
keep { section .text.tfar };
place at address 0x02400000 { section .text.afar };
place at address 0x04400006 { section .text.tmaxf };
place at address 0x0040000c { section .text.tmaxb };
place at address 0x02500000 { section .text.tfar };
place at address 0x03500000 { section .text.amaxf };
place at address 0x01500008 { section .text.amaxb };

#--- past.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
keep { section .text.tfar };
place at address 0x02400000 { section .text.afar };
place at address 0x04400008 { section .text.tmaxf };
place at address 0x0040000a { section .text.tmaxb };
place at address 0x02500000 { section .text.tfar };
place at address 0x03500004 { section .text.amaxf };
place at address 0x01500004 { section .text.amaxb };

#--- link.icf
define memory with size = 4G;
place in [from 0x60000000 size 0x1000] { section .tanrek.init.table };
keep { section .text.thumb, section .text.thumberr };
place at address 0x1000 { section .text.arm };
place at address 0x110a { section .text.tf_h };
place at address 0x110c { section .text.tf_0 };
place at address 0x1116 { section .text.tf_h2 };
place at address 0x1200 { section .text.notfn };
place at address 0x2000 { section .text.thumb };
place at address 0x3000 { section .text.af };
place at address 0x4000 { section .text.armerr };
place at address 0x5000 { section .text.thumberr };
place at address 0x5040 { section .text.anear };
