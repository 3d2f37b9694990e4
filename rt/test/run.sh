#!/bin/bash
# Runs the run-time library's test on one board: builds the hand-made
# initialization table (make_table.py), compiles the test program, links it
# with GNU ld against one variant of libtanrek.a and runs it under QEMU.
# Passes when the program exits with status 0 and says so.
#
# usage: run.sh SOURCE_DIR WORK_DIR LIBRARY MACHINE QEMU_CPU CFLAGS MEMORY [arm-call]
#   QEMU_CPU "-" for the machine's own; MEMORY "CODE_START DATA_START".
set -u
source=$1 work=$2 library=$3 machine=$4 qemu_cpu=$5 cflags=$6 memory=$7 arm_call=${8:-}
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
table_options=() entry=Reset_Handler sources=("$source/main.c" "$semihost/semihost.c")
if [ -n "$arm_call" ]; then
    table_options+=(--arm-call)
    cflags="$cflags -DTEST_ARM_CALL"
fi
case "$cflags" in
*-mcpu=cortex-m* | *-march=armv*-m*) sources+=("$source/vectors.c") ;;
*) entry=__TANREK_start ;;
esac
run python3 "$source/make_table.py" "$work/table.S" "${table_options[@]}"
objects=()
# shellcheck disable=SC2086
for file in "${sources[@]}" "$work/table.S"; do
    objects+=("$work/$(basename "${file%.*}").o")
    run "$CC" $cflags -Os -g -ffreestanding -nostdlib -ffunction-sections -fdata-sections -Wall -Wextra -Werror \
        -I"$semihost" -I"$source/../include" -c "$file" -o "${objects[-1]}"
done
# shellcheck disable=SC2086
run "$CC" $cflags -mthumb -Os -c "$source/call_thumb.c" -o "$work/call_thumb.o"
objects+=("$work/call_thumb.o")
if [ -n "$arm_call" ]; then
    # shellcheck disable=SC2086
    run "$CC" $cflags -marm -Os -c "$source/call_arm.c" -o "$work/call_arm.o"
    objects+=("$work/call_arm.o")
fi
sed -e "s/@CODE@/$code/" -e "s/@DATA@/$data/" -e "s/@ENTRY@/$entry/" "$source/test.ld" > "$work/test.ld"
# No libgcc: the library must not need it (the one division of the
# semihosting layer, in semi_dec, goes with the unused sections).
run "${LD:-arm-none-eabi-ld}" -T "$work/test.ld" --gc-sections -o "$work/test.elf" "${objects[@]}" "$library"

qemu=(qemu-system-arm -M "$machine")
[ "$qemu_cpu" != - ] && qemu+=(-cpu "$qemu_cpu")
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
echo "PASS: $machine ${qemu_cpu#-}"
