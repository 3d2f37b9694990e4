// Relocations of debug sections laid out by "Combine debug".
#include "arm/arm_linker.h"

namespace tanrek {

void ArmLinker::RelocateDebugSection(LinkSection &) {}

} // namespace tanrek
