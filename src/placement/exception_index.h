// Exception index tables: the cannot-unwind entries that the linker makes to
// complete a table. The table itself is completed by
// LinkBlock::ProcessExceptionTables when placement is about to place an
// exception block.
#pragma once

#include <cstdint>

namespace tanrek {

class BaseLinker;
class LinkBlock;
class LinkCantUnwindSection;

// Makes a cannot-unwind entry for [start, start + size) and enters it in the
// linker input and the content sections. The caller puts it into a block
// and the set of sections to place.
LinkCantUnwindSection *MakeCantUnwindSection(BaseLinker &linker, uint32_t start, uint32_t size);

// Completes the index table of an exception block that is about to be
// placed (what LinkBlock::ProcessExceptionTables does for theLinker).
void CompleteExceptionTable(BaseLinker &linker, LinkBlock &block);

} // namespace tanrek
