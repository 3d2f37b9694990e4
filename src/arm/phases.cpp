// Arm back-end phases that the relocation, veneer and attribute work fills.
#include "arm/arm_linker.h"

namespace tanrek {

// Veneer construction arrives with the relocation back-end.
void ArmLinker::ConstructVeneers() {}

// The build-attributes section arrives with the image writer.
void ArmLinker::CreateAttributes() {}

} // namespace tanrek
