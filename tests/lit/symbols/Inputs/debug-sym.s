// A global symbol inside a debug section.
        .section .debug_info,"",%progbits
        .globl  dbg_sym
dbg_sym:
        .word   0
