@ Stand-ins for the run-time routines that the initialization table of
@ tanrek-ld's image refers to; the differential links never run, so they
@ only have to exist.
.syntax unified
.thumb
.section .text.init_routines,"ax",%progbits
.p2align 1
.global __TANREK_init_copy, __TANREK_init_zero
.type __TANREK_init_copy, %function
.type __TANREK_init_zero, %function
__TANREK_init_copy:
__TANREK_init_zero:
  bx lr
