@ Stand-in for the run-time routine that the initialization table of
@ tanrek-ld's image refers to for the copied data; the differential links
@ never run, so it only has to exist.
.syntax unified
.thumb
.section .text.init_routines,"ax",%progbits
.p2align 1
.global __TANREK_init_copy
.type __TANREK_init_copy, %function
__TANREK_init_copy:
  bx lr
