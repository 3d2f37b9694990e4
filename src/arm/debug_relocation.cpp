// Relocations of debug sections laid out by "Combine debug". Debug data
// only holds absolute addresses of code and data (and offsets between debug
// sections, which resolve through the debug sections' own addresses), so a
// word relocation is all that is applied. A symbol whose section is not in
// the image resolves to 0, the way debuggers recognise discarded code.
#include "arm/arm_linker.h"
#include "arm/relocation_types.h"

#include "driver/byte_order.h"
#include "driver/diagnostics.h"
#include "input/input_file.h"
#include "symbols/symbol_table.h"

namespace tanrek {

void ArmLinker::RelocateDebugSection(LinkSection &section) {
  for (Relocation &relocation : Relocations(*this, section)) {
    if (relocation.type == RelArmNone)
      continue;
    Symbol *symbol = RelocationSymbol(section, relocation);
    uint8_t binding = symbol->Binding();
    if (binding > kStbWeak)
      Fatal(*this, "cannot handle binding (%d)", binding);
    if (binding != kStbLocal)
      symbol = LookupGlobal(*this, symbol->name);
    uint32_t value = symbol && symbol->section && symbol->section->IsMapped() ? symbol->Address() : 0;
    if (relocation.type == RelArmAbs32) {
      if (uint64_t(relocation.offset) + 4 > section.Size())
        Fatal(*this, "relocation offset 0x%x is outside debug section %s", relocation.offset,
              section.Name().c_str());
      uint8_t *word = section.MutableContents() + relocation.offset;
      WriteU32(word, ReadU32(word) + value + uint32_t(relocation.addend));
    } else if (relocation.type != RelTlsLdo32) {
      Fatal(*this, "cannot handle debug relocation %s", RelocationName(relocation.type).c_str());
    }
    relocation.symbolIndex = 0;
    relocation.type = RelArmNone;
  }
}

} // namespace tanrek
