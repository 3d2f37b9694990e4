// The reset handler has relocations in two sections: the REL section the
// assembler makes (against ext_a) and .myrela, which the test turns into
// an SHT_RELA section for .text.Reset_Handler with entries against ext_b
// and ext_c. The unused section makes the assembler emit those symbols.
        .syntax unified
        .thumb
        .section .text.Reset_Handler,"ax",%progbits
        .globl  Reset_Handler
        .type   Reset_Handler,%function
Reset_Handler:
        b       .
        .balign 4
        .word   ext_a
        .word   0
        .word   0

        .section .text.unused,"ax",%progbits
        .word   ext_b, ext_c

        .section .myrela,"",%4
        .word   8, 2, 0
        .word   12, 2, 0x100
