// A small object for the reader's checks: a Thumb reset handler that loads
// the address of a global data word, a second data section with a global
// word that nothing refers to, an unreached code section with its own
// relocation, and a spare section that tests turn into other kinds of
// section.
        .syntax unified
        .thumb
        .section .text.Reset_Handler,"ax",%progbits
        .globl  Reset_Handler
        .type   Reset_Handler,%function
Reset_Handler:
        ldr     r0, 1f
        b       .
        .balign 4
1:      .word   victim

        .section .data.victim,"aw",%progbits
        .globl  victim
        .type   victim,%object
        .size   victim,4
victim: .word   1

        .section .data.other,"aw",%progbits
        .globl  other
        .type   other,%object
        .size   other,4
other:  .word   2

        .section .text.unused,"ax",%progbits
        .word   victim

        .section .spare,"",%progbits
        .space  256
