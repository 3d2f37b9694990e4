// Section ordering: the twenty orderings a block can ask for, the block
// size and alignment computed from the ordered members, and the reference
// counts that one of the orderings uses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tanrek {

class BaseLinker;
class LinkBlock;
class Locatable;

// Sorts `members` in place by ordering `order` (0 "with any order" ... 19
// "with address order"); any other value is an internal error.
void SortMembers(BaseLinker &linker, std::vector<Locatable *> &members, uint32_t order);

// The size and alignment of `block` from its unmapped members, nested
// blocks first; rounds MPU blocks and checks fixed sizes.
void SizeAndAlignBlock(BaseLinker &linker, LinkBlock &block);

} // namespace tanrek
