// The output build-attributes section.
#include "arm/arm_linker.h"

namespace tanrek {

void ArmLinker::CreateAttributes() {}

} // namespace tanrek
