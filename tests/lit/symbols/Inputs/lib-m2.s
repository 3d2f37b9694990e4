// Second library member.
        .include "defs.s"
        strong  lib_lib
        common  com_lib, 8
