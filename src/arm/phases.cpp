// Arm back-end phases: veneer construction.
#include "arm/arm_linker.h"

namespace tanrek {

// Veneer construction comes with its own work; until then the veneer scan
// reports a branch that would need one.
void ArmLinker::ConstructVeneers() {}

} // namespace tanrek
