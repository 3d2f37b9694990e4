// First definitions, for an object loaded before second.s.
        .include "defs.s"
        weak    w_equal, 4
        weak    w_bigger, 4
        weak    w_smaller, 8
        weak    weak_strong, 4
        weak    _Z2wsv, 4
        strong  strong_weak
        common  com_grow, 12
        common  com_shrink, 16
        common  com_big, 1000
        common  com_weak, 4
