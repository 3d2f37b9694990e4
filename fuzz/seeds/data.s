@ Data: initialized and zero data, all-zero writable data, common
@ symbols, initialization and termination arrays, and a section that is
@ not allocatable.
        .syntax unified
        .cpu cortex-m3

        .data
        .global shared_counter
        .align  2
        .type   shared_counter, %object
        .size   shared_counter, 4
shared_counter:
        .word   7

        .section .data.zero_filled,"aw",%progbits
        .global zero_filled
        .align  2
        .type   zero_filled, %object
        .size   zero_filled, 16
zero_filled:
        .space  16

        .section .data.pointers,"aw",%progbits
        .global pointers
        .align  2
pointers:
        .word   shared_counter
        .word   common_buffer
        .word   external_object + 8

        .bss
        .global zero_area
zero_area:
        .space  32

        .comm   common_buffer, 64, 8
        .comm   common_small, 4, 4
        .lcomm  local_common, 12

        .section .init_array,"aw",%init_array
        .align  2
        .word   init_first
        .word   init_second

        .section .fini_array,"aw",%fini_array
        .align  2
        .word   fini_only

        .section .note.tool,"",%note
        .word   4, 4, 1
        .ascii  "tnk\0"
        .word   0x12345678

        .section .comment_data,"",%progbits
        .asciz  "not allocatable"
