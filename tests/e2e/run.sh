#!/bin/bash
# Builds one test program for one board, links it with tanrek-ld and runs it
# under QEMU with semihosting. The test passes when QEMU exits with the
# expected status and the program printed exactly the expected text; a
# test of a refused link passes when tanrek-ld exits with status 100 and
# its output contains the expected message.
#
# Everything is built in the work directory, never in the source tree. On
# failure the commands and their output are printed; the work directory
# keeps the objects, the image and the linker's log for a closer look.
set -u

usage() {
    echo "usage: run.sh --tanrek LD --source DIR --work DIR --program NAME --machine M" \
         "[--qemu-cpu CPU] --cflags FLAGS --cpu NAME --startup FILE" \
         "--memory 'CODE_START CODE_SIZE DATA_START DATA_SIZE'" \
         "[--expected FILE] [--status N] [--link-error REGEX] [--link-option OPTION]..." \
         "[--compile-option OPTION]..." >&2
    exit 2
}

qemu_cpu='' expected='' status=0 link_error='' link_options=() compile_options=()
while [ $# -gt 0 ]; do
    [ $# -ge 2 ] || usage
    case "$1" in
    --tanrek) tanrek=$2 ;;
    --source) source=$2 ;;
    --work) work=$2 ;;
    --program) program=$2 ;;
    --machine) machine=$2 ;;
    --qemu-cpu) qemu_cpu=$2 ;;
    --cflags) cflags=$2 ;;
    --cpu) cpu=$2 ;;
    --startup) startup=$2 ;;
    --memory) memory=$2 ;;
    --expected) expected=$2 ;;
    --status) status=$2 ;;
    --link-error) link_error=$2 ;;
    --link-option) link_options+=("$2") ;;
    --compile-option) compile_options+=("$2") ;;
    *) usage ;;
    esac
    shift 2
done
for required in tanrek source work program machine cflags cpu startup memory; do
    [ -n "${!required:-}" ] || usage
done

CC=${CC:-arm-none-eabi-gcc}
AR=${AR:-arm-none-eabi-ar}
QEMU=${QEMU:-qemu-system-arm}
program_dir=$source/programs/$program

fail() {
    echo "FAIL: $*"
    echo "work directory: $work"
    exit 1
}

# Runs a command, and shows it with its output when it fails.
run() {
    if ! "$@" > "$work/last.out" 2>&1; then
        echo "\$ $*"
        cat "$work/last.out"
        fail "command failed"
    fi
}

rm -rf "$work"
mkdir -p "$work/lib"
read -r code_start code_size data_start data_size <<< "$memory"

# -O2 makes jump tables, tail calls and literal pools; no library but the
# compiler's own support library.
common_flags="$cflags -O2 -g -ffunction-sections -fdata-sections -ffreestanding -nostdlib
              -Wall -Werror -I$source/runtime -I$program_dir"

# The state of a source file follows its name: NAME.thumb.c is Thumb code
# and NAME.arm.c Arm code; any other file takes the board's default state.
compile() {
    local file=$1 out=$2 state=
    case "$file" in
    *.thumb.c) state=-mthumb ;;
    *.arm.c) state=-marm ;;
    esac
    # shellcheck disable=SC2086
    run "$CC" $common_flags "${compile_options[@]}" $state -c "$file" -o "$out"
}

objects=()
for file in "$source/runtime/semihost.c" "$source/runtime/string.c" "$source/runtime/$startup" "$program_dir"/*.c; do
    out=$work/$(basename "${file%.*}").o
    compile "$file" "$out"
    objects+=("$out")
done

# Sources under lib/ become an archive, as a library would be shipped.
archives=()
if [ -d "$program_dir/lib" ]; then
    members=()
    for file in "$program_dir"/lib/*.c; do
        out=$work/lib/$(basename "${file%.*}").o
        compile "$file" "$out"
        members+=("$out")
    done
    run "$AR" rcs "$work/libprogram.a" "${members[@]}"
    archives+=("$work/libprogram.a")
fi
# shellcheck disable=SC2086
libgcc=$("$CC" $cflags -print-libgcc-file-name) || fail "no libgcc for $cflags"
archives+=("$libgcc")

link_inputs=("$tanrek" "--cpu=$cpu" "--script=$source/firmware.icf"
             "-D__code_start=$code_start" "-D__code_size=$code_size"
             "-D__data_start=$data_start" "-D__data_size=$data_size"
             "${link_options[@]}" "${objects[@]}" "${archives[@]}")
link_command=("${link_inputs[@]}" -o "$work/program.elf" --log-file "$work/link.log")
"${link_command[@]}" > "$work/link.out" 2>&1
link_status=$?

if [ -n "$link_error" ]; then
    if [ $link_status -ne 100 ] || ! grep -qE -- "$link_error" "$work/link.out" ||
        [ -e "$work/program.elf" ]; then
        echo "\$ ${link_command[*]}"
        cat "$work/link.out"
        fail "expected the link to fail with status 100, no output file and a line matching" \
             "'$link_error'; got status $link_status"
    fi
    echo "PASS: link refused: $link_error"
    exit 0
fi
if [ $link_status -ne 0 ]; then
    echo "\$ ${link_command[*]}"
    cat "$work/link.out"
    fail "link failed with status $link_status"
fi

# The same link again, without the log: the image must not change by a
# byte (nothing may depend on where the host put an object in memory).
if ! "${link_inputs[@]}" -o "$work/again.elf" > "$work/again.out" 2>&1 ||
    ! cmp "$work/program.elf" "$work/again.elf"; then
    fail "a second link of the same inputs made a different image (again.elf)"
fi

# QEMU loads what the program headers say and nothing more; readelf also
# reads the section headers and the symbol table, and complains on stderr
# about anything malformed there.
"${READELF:-arm-none-eabi-readelf}" -a -W "$work/program.elf" > "$work/readelf.out" 2> "$work/readelf.err"
if [ -s "$work/readelf.err" ]; then
    cat "$work/readelf.err"
    fail "readelf finds the image malformed"
fi

qemu_command=("$QEMU" -M "$machine")
[ -n "$qemu_cpu" ] && qemu_command+=(-cpu "$qemu_cpu")
# The program's semihosting output goes to a file of its own, apart from
# anything QEMU itself prints.
qemu_command+=(-nographic -monitor none -serial null
               -chardev "file,id=semihosting,path=$work/run.out"
               -semihosting-config "enable=on,target=native,chardev=semihosting"
               -kernel "$work/program.elf")
QEMU_AUDIO_DRV=none timeout -k 5 10 "${qemu_command[@]}" > "$work/qemu.out" 2>&1
run_status=$?

expected=${expected:-$program_dir/expected.txt}
diff -u "$expected" "$work/run.out" > "$work/run.diff" 2>&1
diff_status=$?
if [ $run_status -ne "$status" ] || [ $diff_status -ne 0 ]; then
    echo "\$ ${qemu_command[*]}"
    cat "$work/qemu.out"
    echo "program output against $expected:"
    cat "$work/run.diff"
    case $run_status in
    124 | 137) fail "the program did not finish within 10 seconds" ;;
    *) fail "status $run_status (want $status)" ;;
    esac
fi
echo "PASS: $program on $machine${qemu_cpu:+ ($qemu_cpu)}"
