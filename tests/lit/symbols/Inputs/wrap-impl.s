// The allocator: malloc and free.
        .include "defs.s"
        strong  malloc
        strong  free
