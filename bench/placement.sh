#!/usr/bin/env bash
# Measures selection and placement of many small sections: 200 generated
# objects of 1,000 code sections each, every second one aligned to 8 so
# that the region fills with 2-byte alignment gaps, all placed by one
# place-in statement. Also runs with the whole log written, as firmware
# teams do when they debug placement. Prints the median of five runs.
#
#   bench/placement.sh [path/to/tanrek-ld]
set -euo pipefail
source "$(dirname "$0")/common.sh"

chain_objects aligned
cat > place.icf <<'ICF'
define memory;
place in [from 0x0 size 16M] { readexec };
ICF

echo "200,000 sections placed in one region:       $(median "$linker" -q gen*.o -Tplace.icf --keep=f0_0) s"
echo "the same, with the log written:              $(median "$linker" -q gen*.o -Tplace.icf --keep=f0_0 --log-file log.txt) s"
