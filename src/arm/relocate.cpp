// Relocation of placed sections: the veneer scan and the application.
#include "arm/arm_linker.h"

namespace tanrek {

void ArmLinker::RelocateSection(LinkSection &, uint32_t) {}

} // namespace tanrek
