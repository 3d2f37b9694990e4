// Sections whose headers the reader and the header phases change. The
// reset handler refers to one symbol in each, so that all are reached;
// .data.unreached is not.
        .syntax unified
        .thumb
        .section .text.Reset_Handler,"ax",%progbits
        .globl  Reset_Handler
        .type   Reset_Handler,%function
Reset_Handler:
        bl      fn
        b       .
        .balign 4
        .word   zeroed, nonzero, zero_rel, ro_zero, empty_data
        .word   code_bytes, code_align0, note_data, buf

// All zero and writable, without relocations: becomes zero-initialized.
        .section .data.zeroed,"aw",%progbits
        .globl  zeroed
zeroed: .space  16

// Writable with one byte set: stays.
        .section .data.nonzero,"aw",%progbits
        .globl  nonzero
nonzero:
        .word   0, 0
        .byte   1

// Writable and all zero, but the word is relocated: stays.
        .section .data.zero_rel,"aw",%progbits
        .globl  zero_rel
zero_rel:
        .word   zeroed

// All zero but read-only: stays.
        .section .rodata.zero,"a",%progbits
        .globl  ro_zero
ro_zero:
        .space  8

// Writable and empty: becomes zero-initialized, saving nothing.
        .section .data.empty,"aw",%progbits
        .globl  empty_data
empty_data:

// Executable, alignment set to 1 and to 0 by the test.
        .section .text.bytes,"ax",%progbits
        .globl  code_bytes
code_bytes:
        .byte   0x70, 0x47
        .section .text.align0,"ax",%progbits
        .globl  code_align0
code_align0:
        .byte   0x70, 0x47

// Not allocatable.
        .section .notalloc,"",%progbits
        .globl  note_data
note_data:
        .word   1

// Not reached: no message about it.
        .section .data.unreached,"aw",%progbits
        .globl  unreached
unreached:
        .space  4

// A common symbol of 12 bytes aligned to 8.
        .comm   buf,12,8

// A function with an exception index entry.
        .section .text.fn,"ax",%progbits
        .globl  fn
        .type   fn,%function
        .fnstart
fn:     bx      lr
        .cantunwind
        .fnend

// Initialization and termination arrays.
        .section .init_array,"aw",%init_array
        .word   fn
        .section .fini_array,"aw",%fini_array
        .word   fn
