#!/usr/bin/env bash
# Links the same objects with tanrek-ld and with GNU ld, every allocated
# input section in an output section of its own at the same fixed address,
# and compares the relocated bytes of each section. Prints one line per
# section: "types ..." with the relocation types of the objects first, then
# "same NAME" when both images agree, "differ NAME" followed by
# the differing bytes (offset, GNU ld, tanrek-ld) when they do not, and
# "placed NAME" for writable data and zero-initialized sections: tanrek-ld
# fills those at start-up rather than loading them in place, so they are
# placed uninitialized and have no bytes to compare. Exits 1 when a
# section differs or a link fails.
#
#   link-both.sh [--cpu=NAME] [--base=ADDR] [--gap=BYTES] [--at=SECTION=ADDR]...
#                [--big-endian] [--gnu=OPTION]... [--tanrek=OPTION]... object...
#
# Sections are laid out in command-line order of the objects and section
# order within each, from --base (default 0x10000) upwards, each at its own
# alignment (at least 4) and --gap bytes (default 20) after the end of the
# one before, so that branch and literal offsets are not trivially zero.
# --at pins a section; the sections after it continue from its end. Names
# of compared sections must be unique over all objects.
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
echo "define memory;" >> tanrek.icf
echo "SECTIONS {" >> gnu.ld
keep=()
uninit=()
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
  if [[ "$type" == NOBITS || ( "$flags" == *W* && "$type" == PROGBITS ) ]]; then
    uninit+=("section \"$name\"")
    echo "placed $name" >> layout.txt
  else
    echo "$name $size" >> compare.txt
  fi
done <<<"$sections"
echo "}" >> gnu.ld
(IFS=,; echo "keep { ${keep[*]} };") >> tanrek.icf
if ((${#uninit[@]})); then
  (IFS=,; echo "do not initialize { ${uninit[*]} };") >> tanrek.icf
fi

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
tanrek-ld -q --cpu="$cpu" "${endian[@]}" "${tanrek_extra[@]}" --no-entry -Ttanrek.icf -o tanrek.elf "${objects[@]}" \
  > tanrek.out 2>&1 || status=$?
if [[ $status -ne 0 || ! -f tanrek.elf ]]; then
  echo "tanrek-ld failed with status $status:"; cat tanrek.out; exit 1
fi
[[ -s tanrek.out ]] && { echo "tanrek-ld said:"; cat tanrek.out; }

# Compare the bytes of each loaded section; GNU ld may append cannot-unwind
# entries to an exception index section, so only the input size counts.
failed=0
cat layout.txt
while read -r name size; do
  arm-none-eabi-objcopy -O binary -j "$name" gnu.elf gnu.bin
  arm-none-eabi-objcopy -O binary -j "$name" tanrek.elf tanrek.bin
  if cmp -s <(head -c "$size" gnu.bin) <(head -c "$size" tanrek.bin) && \
     [[ $(stat -c %s tanrek.bin) -ge $size ]]; then
    echo "same $name"
  else
    echo "differ $name"
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
done < compare.txt
exit $failed
