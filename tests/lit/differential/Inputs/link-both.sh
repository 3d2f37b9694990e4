#!/usr/bin/env bash
# Links the same objects with tanrek-ld and with GNU ld, every allocated
# input section in an output section of its own at the same fixed address,
# and compares the relocated bytes of each section. Prints one line per
# section: "types ..." with the relocation types of the objects first, then
# "placed NAME" for zero-initialized sections (nothing to compare: neither
# image has bytes for them; tanrek-ld's link leaves them uninitialized), then
# "same NAME" when both images agree and "differ NAME" followed by the
# differing bytes (offset, GNU ld, tanrek-ld) when they do not. Writable
# data is not loaded in place by tanrek-ld but copied at start-up: it is
# initialized by copy without packing and compared where tanrek-ld keeps
# it, in the initialization data at the source address of its copy entry
# ("same NAME (copied)"). The sections that only tanrek-ld's image has, the
# initialization table and data and the stand-in routines the table calls
# (Inputs/init-routines.s), are listed as "skip NAME"; any other section of
# tanrek-ld's own is an error. Exits 1 when a section differs or a link
# fails.
#
#   link-both.sh [--cpu=NAME] [--base=ADDR] [--gap=BYTES] [--at=SECTION=ADDR]...
#                [--big-endian] [--gnu=OPTION]... [--tanrek=OPTION]... object...
#
# Sections are laid out in command-line order of the objects and section
# order within each, from --base (default 0x10000) upwards, each at its own
# alignment (at least 4) and --gap bytes (default 20) after the end of the
# one before, so that branch and literal offsets are not trivially zero.
# --at pins a section; the sections after it continue from its end. Names
# of compared sections must be unique over all objects. The initialization
# table, its data and the routines go to the first free 4 KB-aligned space.
set -euo pipefail

cpu=cortex-m3
base=$((0x10000))
gap=20
endian=()
gnu_extra=()
tanrek_extra=()
declare -A pinned=()
objects=()
for arg in "$@"; do
  case "$arg" in
    --cpu=*) cpu=${arg#--cpu=} ;;
    --base=*) base=$((${arg#--base=})) ;;
    --gap=*) gap=$((${arg#--gap=})) ;;
    --at=*) pin=${arg#--at=}; pinned[${pin%%=*}]=$((${pin#*=})) ;;
    --big-endian) endian=(--big-endian) ;;
    --gnu=*) gnu_extra+=("${arg#--gnu=}") ;;
    --tanrek=*) tanrek_extra+=("${arg#--tanrek=}") ;;
    -*) echo "link-both.sh: unknown option $arg" >&2; exit 2 ;;
    *) objects+=("$arg") ;;
  esac
done

# Section table of each object: name, type, size, alignment and flags of
# every allocated, non-empty section. Flags are absent for some sections,
# which shifts the columns, so fields are counted from the end.
sections=$(for obj in "${objects[@]}"; do
  llvm-readelf -S --wide "$obj" | sed -n 's/^ *\[ *[0-9]*\] //p' | awk '
    NF >= 10 && $(NF-3) ~ /A/ && $5 !~ /^0+$/ {
      print $1, $2, $5, $NF, $(NF-3)
    }'
done)

[[ -n "$sections" ]] || { echo "link-both.sh: no allocated sections" >&2; exit 2; }
if dup=$(awk '{print $1}' <<<"$sections" | sort | uniq -d | head -1) && [[ -n "$dup" ]]; then
  echo "link-both.sh: section $dup appears twice; names must be unique" >&2
  exit 2
fi

# The relocation types that the comparison covers, for the test to check.
echo "types $(llvm-readelf -r "${objects[@]}" | awk '$3 ~ /^R_ARM_/ {print $3}' | sort -u | paste -sd' ')"

# Addresses, and the two scripts.
: > gnu.ld
: > tanrek.icf
: > layout.txt
: > compare.txt
: > copied.txt
: > spans.txt
echo "define memory;" >> tanrek.icf
echo "SECTIONS {" >> gnu.ld
keep=()
uninit=()
copied=()
cursor=$base
while read -r name type size align flags; do
  size=$((16#$size))
  (( align < 4 )) && align=4
  if [[ -n "${pinned[$name]:-}" ]]; then
    address=${pinned[$name]}
  else
    address=$(( (cursor + align - 1) / align * align ))
  fi
  cursor=$(( address + size + gap ))
  hex=$(printf '0x%08x' "$address")
  printf '  %s %s : { *(%s) }\n' "$name" "$hex" "$name" >> gnu.ld
  printf 'place at address %s { section "%s" };\n' "$hex" "$name" >> tanrek.icf
  keep+=("section \"$name\"")
  echo "$address $size" >> spans.txt
  if [[ "$type" == NOBITS ]]; then
    uninit+=("section \"$name\"")
    echo "placed $name" >> layout.txt
  elif [[ "$flags" == *W* && "$type" == PROGBITS ]]; then
    copied+=("section \"$name\"")
    echo "$name $size $address" >> copied.txt
  else
    echo "$name $size" >> compare.txt
  fi
done <<<"$sections"
echo "}" >> gnu.ld
(IFS=,; echo "keep { ${keep[*]} };") >> tanrek.icf
if ((${#uninit[@]})); then
  (IFS=,; echo "do not initialize { ${uninit[*]} };") >> tanrek.icf
fi
if ((${#copied[@]})); then
  (IFS=,; echo "initialize by copy with packing = none { ${copied[*]} };") >> tanrek.icf
fi

# The initialization table, its data (as large as the copied sections) and
# the routines, in the first free 4 KB-aligned space from 4 KB up.
init_size=$(awk '{ total += $2 } END { printf "%d", int((total + 8191) / 4096) * 4096 }' copied.txt)
init_base=$(awk -v need="$init_size" -v gap="$gap" '
  { start[NR] = $1; end[NR] = $1 + $2 + gap }
  END {
    for (c = 4096; c + need <= 4294967296; c += 4096) {
      clear = 1
      for (i = 1; i <= NR; i++)
        if (start[i] < c + need && c < end[i]) { clear = 0; c = int((end[i] - 1) / 4096) * 4096; break }
      if (clear) { printf "0x%08x", c; exit }
    }
    exit 1
  }' spans.txt) || { echo "link-both.sh: no room for the initialization table" >&2; exit 2; }
echo "place in [from $init_base size $init_size] { section .tanrek.init.table, section .tanrek.init.data, section .text.init_routines };" >> tanrek.icf
routines_triple=thumbv4t-none-eabi
((${#endian[@]})) && routines_triple=thumbebv4t-none-eabi
llvm-mc -filetype=obj -triple=$routines_triple "$(dirname "$0")/init-routines.s" -o init-routines.o

# GNU ld: no exidx merging, TARGET1 and TARGET2 as tanrek-ld reads them,
# BLX wherever the core has it, and no Cortex-A8 erratum branches.
gnu_endian=()
((${#endian[@]})) && gnu_endian=(-EB)
if ! arm-none-eabi-ld "${gnu_endian[@]}" --no-merge-exidx-entries --target1-abs --target2=rel \
    --no-fix-cortex-a8 --no-warn-rwx-segments -e 0 "${gnu_extra[@]}" -T gnu.ld -o gnu.elf \
    "${objects[@]}" > gnu.out 2>&1; then
  echo "GNU ld failed:"; cat gnu.out; exit 1
fi
status=0
tanrek-ld -q --cpu="$cpu" "${endian[@]}" "${tanrek_extra[@]}" --no-entry -Ttanrek.icf -o tanrek.elf "${objects[@]}" init-routines.o \
  > tanrek.out 2>&1 || status=$?
if [[ $status -ne 0 || ! -f tanrek.elf ]]; then
  echo "tanrek-ld failed with status $status:"; cat tanrek.out; exit 1
fi
[[ -s tanrek.out ]] && { echo "tanrek-ld said:"; cat tanrek.out; }

# The words of a section of tanrek-ld's image, one per line in hex.
words() {
  arm-none-eabi-objcopy -O binary -j "$1" tanrek.elf words.bin
  od -An -v -tx4 --endian="$word_endian" words.bin | tr -s ' ' '\n' | sed '/^$/d'
}
# The value of a global symbol in tanrek-ld's image, Thumb bit included.
symbol() {
  llvm-readelf -s tanrek.elf | awk -v name="$1" '$8 == name { print $2; exit }'
}
word_endian=little
((${#endian[@]})) && word_endian=big

# The sections that only tanrek-ld's image has: the initialization table,
# its data and the routines are skipped, as GNU ld has nothing to compare
# them with (the copied data is compared below); any other is a fault.
failed=0
cat layout.txt
while read -r name; do
  if [[ "$name" == .tanrek.init.* || "$name" == .text.init_routines ]]; then
    echo "skip $name"
  elif ! grep -q -x -F -- "$name" <(awk '{print $1}' <<<"$sections"); then
    echo "unexpected $name"
    failed=1
  fi
done < <(llvm-readelf -S --wide tanrek.elf | sed -n 's/^ *\[ *[0-9]*\] //p' |
           awk 'NF >= 10 && $(NF-3) ~ /A/ { print $1 }')

# The copy entries of the initialization table: routine, destination,
# source and size. Copied sections are all there is, so any other word but
# the end word 0 is a fault.
: > entries.txt
if [[ -s copied.txt ]]; then
  copy=$(symbol __TANREK_init_copy)
  data=$(symbol __TANREK_init_data__)
  mapfile -t table < <(words .tanrek.init.table)
  for ((i = 0; i < ${#table[@]}; )); do
    if ((16#${table[i]} == 0 && i + 1 == ${#table[@]})); then
      break
    elif ((16#${table[i]} == 16#$copy && i + 3 < ${#table[@]})); then
      echo "$((16#${table[i+1]})) $((16#${table[i+2]} - 16#$data)) $((16#${table[i+3]}))" >> entries.txt
      i=$((i + 4))
    else
      echo "initialization table: unexpected word ${table[i]} at +$((i * 4))"
      failed=1
      break
    fi
  done
  arm-none-eabi-objcopy -O binary -j .tanrek.init.data tanrek.elf init-data.bin
fi

# Compares the first SIZE bytes of section NAME of GNU ld's image with the
# file tanrek.bin; LABEL follows the name.
compare() {
  local name=$1 size=$2 label=$3
  arm-none-eabi-objcopy -O binary -j "$name" gnu.elf gnu.bin
  if cmp -s <(head -c "$size" gnu.bin) <(head -c "$size" tanrek.bin) && \
     [[ $(stat -c %s tanrek.bin) -ge $size ]]; then
    echo "same $name$label"
  else
    echo "differ $name$label"
    cmp -l <(head -c "$size" gnu.bin) <(head -c "$size" tanrek.bin) 2>&1 | head -8 |
      while read -r offset gnu_byte tanrek_byte rest; do
        if [[ "$offset" =~ ^[0-9]+$ ]]; then
          printf '  +0x%x: gnu %02x tanrek %02x\n' $((offset - 1)) $((8#$gnu_byte)) $((8#$tanrek_byte))
        else
          echo "  $offset $gnu_byte $tanrek_byte $rest"
        fi
      done
    failed=1
  fi
}

# Writable data: the bytes the copy entry that covers the section takes
# from the initialization data.
while read -r name size address; do
  offset=$(awk -v a="$address" -v s="$size" '
    $1 <= a && a + s <= $1 + $3 { print $2 + a - $1; exit }' entries.txt)
  if [[ -z "$offset" ]]; then
    echo "differ $name (copied): no copy entry covers it"
    failed=1
    continue
  fi
  tail -c +$((offset + 1)) init-data.bin | head -c "$size" > tanrek.bin
  compare "$name" "$size" " (copied)"
done < copied.txt

# Every other loaded section, in place; GNU ld may append cannot-unwind
# entries to an exception index section, so only the input size counts.
while read -r name size; do
  arm-none-eabi-objcopy -O binary -j "$name" tanrek.elf tanrek.bin
  compare "$name" "$size" ""
done < compare.txt
exit $failed
