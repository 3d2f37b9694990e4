// Macros that define one global symbol each, in a section of its own.
        .syntax unified
        .thumb

// A global function.
        .macro  strong name
        .section .text.\name,"ax",%progbits
        .globl  \name
        .type   \name,%function
\name:  bx      lr
        .endm

// A weak object of the given size.
        .macro  weak name, size
        .section .data.\name,"aw",%progbits
        .weak   \name
        .type   \name,%object
        .size   \name,\size
\name:  .space  \size
        .endm

// A common symbol of the given size.
        .macro  common name, size
        .comm   \name,\size,4
        .endm
