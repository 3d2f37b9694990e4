// A strong dup_com and a strong dup_obj.
        .include "defs.s"
        strong  dup_com
        strong  dup_obj
