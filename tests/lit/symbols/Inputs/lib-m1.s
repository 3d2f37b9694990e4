// First library member.
        .include "defs.s"
        strong  lib_lib
        strong  obj_lib
        strong  lib_obj
        strong  weak_lib
        common  com_lib, 4
