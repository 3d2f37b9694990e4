// The global symbol table and name resolution. Every global or weak
// definition read from an object is offered here; fixed precedence rules
// decide which definition of a name wins. "Find sections" then resolves the
// names the link needs, one at a time in byte order, pulling in the
// sections that define them and following their relocations.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tanrek {

class BaseLinker;
class LinkSection;
struct Relocation;
struct Symbol;

// Offers a definition read from an object.
void DefineGlobal(BaseLinker &linker, Symbol *symbol);
// Enters a linker-made definition that copies another symbol.
void RedefineLinkerSymbol(BaseLinker &linker, Symbol *symbol);
// Makes, enters and records an absolute linker symbol.
Symbol *DefineGlobalSymbol(BaseLinker &linker, std::string_view name, uint32_t value);
// DefineGlobalSymbol, only when the name is referenced and undefined.
void DefineIfUndefined(BaseLinker &linker, std::string_view name, uint32_t value);
// Makes a linker symbol (global, no type, absolute) without entering it.
Symbol *MakeLinkerSymbol(BaseLinker &linker, std::string_view name, uint32_t value);
// Makes an undefined global symbol of the linker's own, for relocations
// the linker creates against a name (it is not required by itself).
Symbol *MakeLinkerReference(BaseLinker &linker, std::string_view name);
void Require(BaseLinker &linker, std::string_view name);
// The definition of a name, loading an archive member on demand.
Symbol *LookupGlobal(BaseLinker &linker, std::string_view name);

// What a relocation refers to, resolved against the global symbol table.
struct RelocationTarget {
  Relocation *relocation = nullptr;
  LinkSection *section = nullptr;
  uint32_t place = 0;
  uint8_t *data = nullptr;
  Symbol *symbol = nullptr;
  uint32_t value = 0;
  bool unresolved = false;
  bool undefinedWeak = false;
};
// Fills symbol, value and the two flags of a target whose relocation and
// section are set.
void ResolveTarget(BaseLinker &linker, RelocationTarget &target);

} // namespace tanrek
