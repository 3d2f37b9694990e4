// A strong dup_obj only.
        .include "defs.s"
        strong  dup_obj
