// Arm back-end phases: veneer construction.
//
// The veneer scan decides site by site whether a branch needs a veneer and
// asks for one through RequestArmVeneer or RequestThumbVeneer. Veneers are
// not built yet: each request is reported as an error that names the
// branch and its target, so that no image silently holds a branch that
// cannot reach, or cannot switch state, and the link ends with status 100.
// Building veneers replaces the two requests and adds the layout loop
// around the scan.
#include "arm/relocation_site.h"

#include "driver/diagnostics.h"

namespace tanrek {

namespace {

void ReportMissingVeneer(ArmLinker &linker, const RelocationSite &site) {
  Error(linker,
        "relocation %s at %s+%u in file %s [source address %08x] to %s needs a veneer, which this linker does not "
        "build yet",
        linker.RelocationName(site.Type()).c_str(), site.section->DisplayName().c_str(), site.Offset(),
        site.section->InputName().c_str(), site.place, TargetName(linker, site).c_str());
}

} // namespace

void RequestArmVeneer(ArmLinker &linker, RelocationSite &site) { ReportMissingVeneer(linker, site); }

void RequestThumbVeneer(ArmLinker &linker, RelocationSite &site) { ReportMissingVeneer(linker, site); }

void ArmLinker::ConstructVeneers() {
  ClearFlag(Flag::VeneerNeeded);
  for (LinkSection *section : sectionsToPlace)
    RelocateSection(*section, RelocationVeneerScan);
}

} // namespace tanrek
