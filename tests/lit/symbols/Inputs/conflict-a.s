// A common dup_com and a strong dup_obj.
        .include "defs.s"
        common  dup_com, 4
        strong  dup_obj
