// Named before the library: a strong obj_lib and a weak weak_lib.
        .include "defs.s"
        strong  obj_lib
        weak    weak_lib, 4
