// tanrek-ld: creates the one linker object, an ArmLinker, and runs the
// driver. This is the only place that knows which back-end is linked in.
#include "arm/arm_linker.h"
#include "driver/driver.h"

int main(int argc, char **argv) {
  auto *linker = new tanrek::ArmLinker(); // lives until the process ends
  tanrek::theLinker = linker;
  return tanrek::RunDriver(*linker, argc, argv);
}
