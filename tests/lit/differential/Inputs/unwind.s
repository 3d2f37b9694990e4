@ Personality routines that the exception index entries of compiled code
@ name; they are never called in these links, only referred to.
.syntax unified
.thumb
.section .text.unwind,"ax",%progbits
.p2align 1
.global __aeabi_unwind_cpp_pr0, __aeabi_unwind_cpp_pr1, __aeabi_unwind_cpp_pr2
.type __aeabi_unwind_cpp_pr0, %function
.type __aeabi_unwind_cpp_pr1, %function
.type __aeabi_unwind_cpp_pr2, %function
__aeabi_unwind_cpp_pr0:
__aeabi_unwind_cpp_pr1:
__aeabi_unwind_cpp_pr2:
  bx lr
