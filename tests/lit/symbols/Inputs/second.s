// Second definitions of the names of first.s.
        .include "defs.s"
        weak    w_equal, 4
        weak    w_bigger, 1024
        weak    w_smaller, 4
        strong  weak_strong
        strong  _Z2wsv
        weak    strong_weak, 4
        common  com_grow, 16
        common  com_shrink, 12
        common  com_big, 2000
        weak    com_weak, 4
