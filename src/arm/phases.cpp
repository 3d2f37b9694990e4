// Arm back-end phases: veneer construction.
//
// The veneer scan runs over every section to place and builds veneers site
// by site. A veneer makes its section longer, which moves everything
// placed after it, so a branch that reached before may no longer reach:
// after a scan that made or reused a veneer, the placement is undone and
// done again with the new sizes, and the scan repeats. Each veneer moves
// its branch's relocation record to the veneer's literal (or clears it),
// so no site is sent to a veneer twice and the loop ends once a layout
// produces no new far or state-changing branch.
#include "arm/relocation_site.h"

#include "driver/log.h"

namespace tanrek {

void ArmLinker::ConstructVeneers() {
  for (;;) {
    ClearFlag(Flag::VeneerNeeded);
    for (LinkSection *section : sectionsToPlace)
      RelocateSection(*section, RelocationVeneerScan);
    if (!TestFlag(Flag::VeneerNeeded))
      break;
    UndoPlacement();
    SizeAndAlignment();
    SortInputs();
    Placement();
    // Sections that no longer fit are reported by the later check for
    // unplaced items; scanning them without addresses would decide nothing.
    if (PlacementIncomplete())
      break;
  }
  ClearFlag(Flag::VeneerNeeded);
}

} // namespace tanrek
