// Symbols the linker defines from the final layout: the bounds of blocks
// (in the "$$Base"/"$$Limit"/"$$Length" family and the "__NAME_start__"
// family), the bounds of regions and the thread pointer.
#pragma once

namespace tanrek {

class BaseLinker;
class LinkBlock;

// Defines the start, end and size symbols of one block, each only when
// something refers to it and nothing defines it yet.
void CreateBlockSymbols(BaseLinker &linker, const LinkBlock &block);

} // namespace tanrek
