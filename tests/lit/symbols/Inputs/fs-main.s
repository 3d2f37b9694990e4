// The program for the reachability walk. In relocation order the reset
// handler refers to: zeta, beta (both in fs-lib.s), the local function
// local_fn, zeta again, the weak undefined opt, the undefined missing_b,
// missing_a, missing and _Z7missingv, a local label in .rodata.tbl, its
// own section, the weak wdef (defined in fs-lib.s), Zed (fs-lib.s), and
// two words whose relocation types the test changes to R_ARM_V4BX and
// R_ARM_NONE.
        .syntax unified
        .thumb
        .section .text.Reset_Handler,"ax",%progbits
        .globl  Reset_Handler
        .type   Reset_Handler,%function
        .weak   opt
        .weak   wdef
Reset_Handler:
        bl      zeta
        bl      beta
        bl      local_fn
        bl      zeta
        bl      opt
        bl      missing_b
        bl      missing_a
        bl      missing
        bl      _Z7missingv
        b       .
        .balign 4
        .word   .Ltbl
        .word   .
        .word   wdef
        .word   Zed
        .word   v4bx_target
        .word   none_target

        .section .text.local,"ax",%progbits
        .type   local_fn,%function
local_fn:
        bx      lr

        .section .rodata.tbl,"a",%progbits
.Ltbl:  .word   1
