#!/bin/bash
# usage: veneer-symbols.sh [!]NAME... WORK
# Passes when WORK/program.elf defines every NAME as a function symbol, and
# no !NAME: the veneers that a program's far and mode-changing calls must
# have got (TARGET__REASON_veneer_KIND), and ones that calls the core can
# make directly must not get. A program that runs correctly could still
# reach its targets through veneers of the wrong kind, or through
# needless ones.
set -u
[ $# -ge 2 ] || { echo "usage: veneer-symbols.sh NAME... WORK" >&2; exit 2; }
work=${!#}
symbols=$("${LLVM_READELF:-llvm-readelf}" -s -W "$work/program.elf") || exit 1
defined() {
    awk -v name="$1" '$8 == name && $4 == "FUNC" && $7 != "UND" { found = 1 } END { exit !found }' <<< "$symbols"
}
wrong=0
for name in "${@:1:$#-1}"; do
    if [ "${name#!}" != "$name" ]; then
        if defined "${name#!}"; then
            echo "needless veneer ${name#!} in $work/program.elf"
            wrong=1
        fi
    elif ! defined "$name"; then
        echo "no function symbol $name in $work/program.elf"
        wrong=1
    fi
done
if [ $wrong -ne 0 ]; then
    echo "veneer symbols in the image:"
    grep -E '_veneer_' <<< "$symbols"
fi
exit $wrong
