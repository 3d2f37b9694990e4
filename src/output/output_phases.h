// The steps of "Write image" that live in files of their own.
#pragma once

namespace tanrek {

class BaseLinker;

// Cuts the placed sections into program segments.
void CreateProgramSections(BaseLinker &linker);
// Builds ".symtab" (and ".symtab_shndx" when needed) from the image's
// symbols.
void MakeSymbolTable(BaseLinker &linker);

} // namespace tanrek
