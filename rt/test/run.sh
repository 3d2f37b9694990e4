#!/bin/bash
# Runs the run-time library's test on one board and passes when the
# program exits with status 0 and says so. By default the table is made by
# hand (make_table.py), the program is main.c and GNU ld links it against
# one variant of libtanrek.a, without libgcc. With --tanrek, the program is
# linked.c, tanrek-ld links it with linked.icf and writes the table.
#
# usage: run.sh --source DIR --work DIR --library FILE --machine M [--qemu-cpu CPU]
#               --cflags FLAGS --memory "CODE_START DATA_START" [--arm-call]
#               [--tanrek LD --cpu NAME]
set -u
qemu_cpu='' arm_call='' tanrek='' cpu=''
while [ $# -gt 0 ]; do
    case "$1" in
    --source) source=$2 ;;
    --work) work=$2 ;;
    --library) library=$2 ;;
    --machine) machine=$2 ;;
    --qemu-cpu) qemu_cpu=$2 ;;
    --cflags) cflags=$2 ;;
    --memory) memory=$2 ;;
    --arm-call) arm_call=yes; shift; continue ;;
    --tanrek) tanrek=$2 ;;
    --cpu) cpu=$2 ;;
    *) echo "run.sh: unknown option $1" >&2; exit 2 ;;
    esac
    shift 2
done
CC=${CC:-arm-none-eabi-gcc}
rm -rf "$work"
mkdir -p "$work"
read -r code data <<< "$memory"

run() {
    if ! "$@" > "$work/last.out" 2>&1; then
        echo "\$ $*"
        cat "$work/last.out"
        echo "FAIL: command failed (work directory $work)"
        exit 1
    fi
}

# The semihosting layer is the end-to-end tests' own.
semihost=$source/../../tests/e2e/runtime
objects=()
compile() {
    objects+=("$work/$(basename "${1%.*}").o")
    # shellcheck disable=SC2086
    run "$CC" $cflags ${2:-} -Os -g -ffreestanding -nostdlib -ffunction-sections -fdata-sections \
        -Wall -Wextra -Werror -I"$semihost" -I"$source/../include" -c "$1" -o "${objects[-1]}"
}

entry=__TANREK_start
case "$cflags" in
*-mcpu=cortex-m* | *-march=armv*-m*) entry=Reset_Handler; compile "$source/vectors.c" ;;
esac
compile "$semihost/semihost.c"

if [ -n "$tanrek" ]; then
    compile "$source/linked.c"
    run "$tanrek" --cpu="$cpu" --script="$source/linked.icf" -D__code_start="$code" -D__data_start="$data" \
        --entry="$entry" -o "$work/test.elf" "${objects[@]}" "$library"
else
    table_options=()
    if [ -n "$arm_call" ]; then
        table_options+=(--arm-call)
        cflags="$cflags -DTEST_ARM_CALL"
        compile "$source/call_arm.c" -marm
    fi
    compile "$source/call_thumb.c" -mthumb
    compile "$source/main.c"
    run python3 "$source/make_table.py" "$work/table.S" "${table_options[@]}"
    compile "$work/table.S"
    sed -e "s/@CODE@/$code/" -e "s/@DATA@/$data/" -e "s/@ENTRY@/$entry/" "$source/test.ld" > "$work/test.ld"
    # No libgcc: the library must not need it (the one division of the
    # semihosting layer, in semi_dec, goes with the unused sections).
    run "${LD:-arm-none-eabi-ld}" -T "$work/test.ld" --gc-sections -o "$work/test.elf" "${objects[@]}" "$library"
fi

qemu=(qemu-system-arm -M "$machine")
[ -n "$qemu_cpu" ] && qemu+=(-cpu "$qemu_cpu")
qemu+=(-nographic -monitor none -serial null
       -chardev "file,id=semihosting,path=$work/run.out"
       -semihosting-config "enable=on,target=native,chardev=semihosting"
       -kernel "$work/test.elf")
QEMU_AUDIO_DRV=none timeout -k 5 10 "${qemu[@]}" > "$work/qemu.out" 2>&1
status=$?
if [ $status -ne 0 ] || ! grep -qx "rt test passed" "$work/run.out"; then
    echo "\$ ${qemu[*]}"
    cat "$work/qemu.out" "$work/run.out"
    echo "FAIL: status $status (work directory $work)"
    exit 1
fi
echo "PASS: $machine $qemu_cpu"
