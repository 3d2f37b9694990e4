#!/usr/bin/env bash
# The Arm back-end stays in src/arm/: no other file names an Arm relocation
# or includes a back-end header. Only the program entry creates ArmLinker.
set -u
src="$1/src"
status=0
leaks=$(grep -rlE 'R_ARM_|R_THM_|#include *"(\.\./)*arm/' "$src" | grep -v "^$src/arm/" | grep -v "^$src/driver/main.cpp$")
if [ -n "$leaks" ]; then
  echo "Arm back-end names outside src/arm/:"
  echo "$leaks"
  status=1
fi
creators=$(grep -rl 'new tanrek::ArmLinker\|new ArmLinker\|ArmLinker()' "$src" | grep -v "^$src/driver/main.cpp$" | grep -v "^$src/arm/")
if [ -n "$creators" ]; then
  echo "ArmLinker created outside the program entry:"
  echo "$creators"
  status=1
fi
[ $status -eq 0 ] && echo "layering: ok"
exit $status
