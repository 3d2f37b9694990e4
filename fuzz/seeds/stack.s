@ Functions with a ".stack_sizes" table: an address word relocated
@ against the function's section (through a local label, so that the
@ relocation names the section symbol), then the size as ULEB128.
        .syntax unified
        .cpu cortex-m3
        .thumb

        .section .text.small,"ax",%progbits
        .global small_frame
        .type   small_frame, %function
        .thumb_func
small_frame:
.Lsmall_frame:
        sub     sp, #8
        add     sp, #8
        bx      lr

        .section .text.large,"ax",%progbits
        .global large_frame
        .type   large_frame, %function
        .thumb_func
large_frame:
.Llarge_frame:
        sub     sp, #256
        bl      small_frame
        add     sp, #256
        bx      lr

        .section .stack_sizes,"",%progbits
        .word   .Lsmall_frame
        .uleb128 8
        .word   .Llarge_frame
        .uleb128 300
