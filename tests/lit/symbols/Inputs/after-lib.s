// Named after the library: a strong lib_obj.
        .include "defs.s"
        strong  lib_obj
