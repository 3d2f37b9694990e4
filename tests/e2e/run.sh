#!/bin/bash
# Builds one test program for one board, links it with tanrek-ld and the
# run-time library and runs it under QEMU with semihosting. The test passes
# when QEMU exits with the expected status and the program printed exactly
# the expected text; a test of a refused link passes when tanrek-ld exits
# with status 100 and its output contains the expected message.
#
# A program may be linked more than once (--link-variants): its objects are
# compiled once and linked again with each variant's script, and every
# image must run correctly. With --check-packing the variants are packings
# of the initialized data, and each packed image must really hold packed
# data: a smaller .tanrek.init.data than variant none, and the table
# calling the routine of its packing instead of the plain copy.
#
# A program may also be generated (--generate: a command that writes more
# sources and scripts into a directory of the work directory) and checked
# further after it ran (--check: a command given the work directory, which
# reads the image or the link log).
#
# Everything is built in the work directory, never in the source tree. On
# failure the commands and their output are printed; the work directory
# keeps the objects, the image and the linker's log for a closer look.
set -u

usage() {
    echo "usage: run.sh --tanrek LD --rt LIBRARY --source DIR --work DIR --program NAME --machine M" \
         "[--qemu-cpu CPU] --cflags FLAGS --cpu NAME --startup FILE" \
         "--memory 'CODE_START CODE_SIZE DATA_START DATA_SIZE'" \
         "[--expected FILE] [--status N] [--link-error REGEX] [--link-option OPTION]..." \
         "[--compile-option OPTION]... [--newlib [--cxx-exceptions]] [--link-variants 'NAME...' [--check-packing]]" \
         "[--generate 'COMMAND...'] [--check 'COMMAND...']" >&2
    exit 2
}

qemu_cpu='' expected='' status=0 link_error='' link_options=() compile_options=()
newlib=0 cxx_exceptions=0 check_packing=0 link_variants='' generate='' check=''
while [ $# -gt 0 ]; do
    case "$1" in
    --newlib) newlib=1; shift; continue ;;
    --check-packing) check_packing=1; shift; continue ;;
    --cxx-exceptions) cxx_exceptions=1; shift; continue ;;
    esac
    [ $# -ge 2 ] || usage
    case "$1" in
    --tanrek) tanrek=$2 ;;
    --rt) rt=$2 ;;
    --link-variants) link_variants=$2 ;;
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
    --generate) generate=$2 ;;
    --check) check=$2 ;;
    *) usage ;;
    esac
    shift 2
done
for required in tanrek rt source work program machine cflags cpu startup memory; do
    [ -n "${!required:-}" ] || usage
done

CC=${CC:-arm-none-eabi-gcc}
CXX=${CXX:-arm-none-eabi-g++}
AR=${AR:-arm-none-eabi-ar}
QEMU=${QEMU:-qemu-system-arm}
program_dir=$source/programs/$program
# The vector tables and the semihosting layer (which runtime/semihost.c
# includes) are the examples'.
examples=$source/../../examples

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
# A generated program: the command writes more sources (*.c, *.s) and
# scripts (*.icf) into a directory, which then counts as part of the
# program's own.
source_dirs=("$program_dir")
if [ -n "$generate" ]; then
    # shellcheck disable=SC2086
    run $generate "$work/generated"
    source_dirs+=("$work/generated")
fi
read -r code_start code_size data_start data_size <<< "$memory"

# -O2 makes jump tables, tail calls and literal pools; no library but the
# compiler's own support library, the run-time library and, with --newlib,
# newlib's C library.
common_flags="$cflags -O2 -g -ffunction-sections -fdata-sections -ffreestanding -nostdlib
              -Wall -Werror -I$source/runtime -I$examples/common -I$program_dir"
# C++ without exceptions, run-time type information or guarded statics,
# which would need the C++ support library; destructors of static objects
# are registered with newlib's __cxa_atexit, and its exit runs them.
cxx_flags="-fno-exceptions -fno-rtti -fno-threadsafe-statics"
# With --cxx-exceptions C++ has exceptions and run-time type information,
# and the program links the C++ support library and libstdc++ (which need
# newlib): libgcc's unwinder walks the exception index that the script
# places between __exidx_start and __exidx_end.
if [ $cxx_exceptions -eq 1 ]; then
    cxx_flags="-fexceptions -frtti -fno-threadsafe-statics"
fi

# The state of a source file follows its name: NAME.thumb.c is Thumb code
# and NAME.arm.c Arm code; any other file takes the board's default state.
# NAME.cpp is C++.
compile() {
    local file=$1 out=$2 state='' compiler=$CC extra=''
    case "$file" in
    *.thumb.c) state=-mthumb ;;
    *.arm.c) state=-marm ;;
    *.cpp) compiler=$CXX extra=$cxx_flags ;;
    esac
    # shellcheck disable=SC2086
    run "$compiler" $common_flags $extra "${compile_options[@]}" $state -c "$file" -o "$out"
}

runtime=("$source/runtime/semihost.c" "$examples/$startup")
if [ $newlib -eq 1 ]; then
    # newlib brings memcpy and memset; its system calls are ours.
    runtime+=("$source/runtime/newlib.c")
else
    runtime+=("$source/runtime/freestanding.c")
fi
objects=()
shopt -s nullglob
sources=() program_scripts=()
for dir in "${source_dirs[@]}"; do
    sources+=("$dir"/*.c "$dir"/*.cpp "$dir"/*.s "$dir"/*.S)
    program_scripts+=("$dir"/*.icf)
done
for file in "${runtime[@]}" "${sources[@]}"; do
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
if [ $cxx_exceptions -eq 1 ]; then
    # shellcheck disable=SC2086
    archives+=("$("$CXX" $cflags -print-file-name=libstdc++.a)"
               "$("$CXX" $cflags -print-file-name=libsupc++.a)")
fi
if [ $newlib -eq 1 ]; then
    # shellcheck disable=SC2086
    archives+=("$("$CC" $cflags -print-file-name=libc.a)")
    # newlib refers weakly to names that a program without them leaves
    # undefined (__libc_fini, __fini_array_start and _end) and tests them
    # against zero.
    link_options+=(--undefined-weak-is-zero)
fi
[ -f "$rt" ] || fail "no run-time library $rt (build the target tanrek_rt)"
archives+=("$rt")
# shellcheck disable=SC2086
libgcc=$("$CC" $cflags -print-libgcc-file-name) || fail "no libgcc for $cflags"
archives+=("$libgcc")

# The program's own scripts follow the common one.
scripts=("--script=$source/firmware.icf")
for file in "${program_scripts[@]}"; do
    scripts+=("--script=$file")
done

link_inputs=("$tanrek" "--cpu=$cpu" "${scripts[@]}"
             "-D__code_start=$code_start" "-D__code_size=$code_size"
             "-D__data_start=$data_start" "-D__data_size=$data_size"
             "${link_options[@]}" "${objects[@]}" "${archives[@]}")
first_variant=${link_variants%% *}
variant_script=()
[ -n "$first_variant" ] && variant_script=("--script=$program_dir/variants/$first_variant.icf")
link_command=("${link_inputs[@]}" "${variant_script[@]}" -o "$work/program.elf" --log-file "$work/link.log")
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
if ! "${link_inputs[@]}" "${variant_script[@]}" -o "$work/again.elf" > "$work/again.out" 2>&1 ||
    ! cmp "$work/program.elf" "$work/again.elf"; then
    fail "a second link of the same inputs made a different image (again.elf)"
fi

# Runs an image: readelf must find it well formed, and QEMU must end with
# the expected status after the program printed the expected text. NAME
# names the image in the messages and its files: NAME.elf, NAME.run.out.
run_image() {
    local name=$1 elf=$work/$1.elf
    # QEMU loads what the program headers say and nothing more; readelf
    # also reads the section headers and the symbol table, and complains
    # on stderr about anything malformed there.
    "${READELF:-arm-none-eabi-readelf}" -a -W "$elf" > "$work/$name.readelf.out" 2> "$work/$name.readelf.err"
    if [ -s "$work/$name.readelf.err" ]; then
        cat "$work/$name.readelf.err"
        fail "readelf finds $name.elf malformed"
    fi
    # The unwinder finds a frame only in a sorted, complete table. The
    # program's main and libstdc++'s throw must unwind; the semihosting
    # layer and newlib's system calls are C without unwinding information,
    # so wherever they lie between indexed functions, an entry that the
    # linker filled in must stop the unwinder there.
    if [ $cxx_exceptions -eq 1 ] &&
        ! "${PYTHON:-python3}" "$source/check_exidx.py" "$elf" --unwinds main __cxa_throw \
            --cannot-unwind semi_write semi_exit check _sbrk _exit > "$work/$name.exidx.out" 2>&1; then
        cat "$work/$name.exidx.out"
        fail "$name.elf: the exception index is not what the unwinder needs"
    fi

    local qemu_command=("$QEMU" -M "$machine")
    [ -n "$qemu_cpu" ] && qemu_command+=(-cpu "$qemu_cpu")
    # The program's semihosting output goes to a file of its own, apart
    # from anything QEMU itself prints.
    qemu_command+=(-nographic -monitor none -serial null
                   -chardev "file,id=semihosting,path=$work/$name.run.out"
                   -semihosting-config "enable=on,target=native,chardev=semihosting"
                   -kernel "$elf")
    QEMU_AUDIO_DRV=none timeout -k 5 10 "${qemu_command[@]}" > "$work/$name.qemu.out" 2>&1
    local run_status=$?

    diff -u "$expected" "$work/$name.run.out" > "$work/$name.run.diff" 2>&1
    local diff_status=$?
    if [ $run_status -ne "$status" ] || [ $diff_status -ne 0 ]; then
        echo "\$ ${qemu_command[*]}"
        cat "$work/$name.qemu.out"
        echo "program output against $expected:"
        cat "$work/$name.run.diff"
        case $run_status in
        124 | 137) fail "$name.elf did not finish within 10 seconds" ;;
        *) fail "$name.elf: status $run_status (want $status)" ;;
        esac
    fi
}

# The size of a section of an image, 0 when it has none.
section_size() {
    local size
    size=$("${READELF:-arm-none-eabi-readelf}" -S -W "$1" | sed -n 's/^ *\[ *[0-9]*\] *//p' |
        awk -v name="$2" '$1 == name { print $5 }')
    echo $((16#${size:-0}))
}

# Whether the image's symbol table defines a name.
defines() {
    "${READELF:-arm-none-eabi-readelf}" -s -W "$1" | awk -v name="$2" '$8 == name && $7 != "UND" { found = 1 } END { exit !found }'
}

# A packed variant must hold less initialization data than the plain copy
# (variant none, the first), and its table must call the routine of its
# packing: a linker that fell back to copying would still run correctly.
check_packing() {
    local variant=$1 elf=$work/$1.elf plain packed
    plain=$(section_size "$work/program.elf" .tanrek.init.data)
    packed=$(section_size "$elf" .tanrek.init.data)
    [ "$packed" -lt "$plain" ] ||
        fail "$variant.elf: .tanrek.init.data holds $packed bytes, no fewer than the $plain of packing none"
    local routine=''
    case $variant in
    packbits) routine=__TANREK_init_pack ;;
    lzss | zpak) routine=__TANREK_init_$variant ;;
    esac
    if [ -n "$routine" ]; then
        defines "$elf" "$routine" || fail "$variant.elf: no $routine in the image"
        ! defines "$elf" __TANREK_init_copy || fail "$variant.elf: the table still copies plain data"
    fi
    if [ "$variant" = auto ]; then
        defines "$elf" __TANREK_init_pack || defines "$elf" __TANREK_init_lzss || defines "$elf" __TANREK_init_zpak ||
            fail "auto.elf: no unpacking routine in the image"
    fi
}

expected=${expected:-$program_dir/expected.txt}
run_image program
for variant in ${link_variants#"$first_variant"}; do
    variant_command=("${link_inputs[@]}" "--script=$program_dir/variants/$variant.icf"
                     -o "$work/$variant.elf" --log-file "$work/$variant.log")
    if ! "${variant_command[@]}" > "$work/$variant.link.out" 2>&1; then
        echo "\$ ${variant_command[*]}"
        cat "$work/$variant.link.out"
        fail "link of variant $variant failed"
    fi
    run_image "$variant"
    [ $check_packing -eq 1 ] && check_packing "$variant"
done
# The program's own check of its image or link log (veneer symbols, the
# passes of the veneer construction), given the work directory as the last
# argument.
if [ -n "$check" ]; then
    # shellcheck disable=SC2086
    run $check "$work"
fi
echo "PASS: $program${link_variants:+ ($link_variants)} on $machine${qemu_cpu:+ ($qemu_cpu)}"
