// The output symbol table: the winning definition of every global name in
// name order, then the other symbols of the image in creation order, sorted
// stably so that locals come first, then globals, then weak symbols.
//
// Entry 0 is the null symbol the ELF standard reserves, so sh_info (the
// index of the first non-local symbol) counts it too. A section index of
// 0xFF00 or more does not fit in st_shndx: the entry says SHN_XINDEX and the
// real index goes to ".symtab_shndx".
#include "output/output_phases.h"

#include "driver/byte_order.h"
#include "driver/linker.h"
#include "driver/log.h"
#include "output/output_image.h"

#include <algorithm>

namespace tanrek {

namespace {

std::vector<Symbol *> CollectSymbols(BaseLinker &linker) {
  std::vector<Symbol *> list;
  std::set<Symbol *> globals;
  for (const auto &[name, symbol] : linker.globalSymbols) {
    globals.insert(symbol);
    if (!name.empty() && symbol->section && symbol->section->IsMapped())
      list.push_back(symbol);
  }
  for (Symbol *symbol : linker.imageSymbols)
    if (!globals.count(symbol) && !symbol->name.empty())
      list.push_back(symbol);
  std::stable_sort(list.begin(), list.end(),
                   [](const Symbol *a, const Symbol *b) { return a->Binding() < b->Binding(); });
  return list;
}

uint32_t OutputIndex(const Symbol &symbol) {
  const LinkSection *section = symbol.section;
  if (!section)
    return SHN_UNDEF;
  if (section->index == kIndexAbsolute)
    return SHN_ABS;
  return section->outputSection ? section->outputSection->index : SHN_UNDEF;
}

void AppendSymbol(BaseLinker &linker, OutputImage &image, Symbol &symbol) {
  Elf32_Sym entry = {};
  entry.st_name = image.symbolNames.Add(symbol.name);
  entry.st_value = symbol.Address();
  entry.st_size = symbol.size;
  entry.st_info = symbol.info;
  entry.st_other = symbol.other;
  uint32_t index = OutputIndex(symbol);
  entry.st_shndx = uint16_t(index);
  uint32_t extended = 0;
  if (index >= SHN_LORESERVE && index != SHN_ABS) {
    entry.st_shndx = SHN_XINDEX;
    extended = index;
    linker.SetFlag(Flag::NeedSymtabShndx);
  }
  image.symbols.push_back(entry);
  image.extendedIndexes.push_back(extended);
  if (symbol.Binding() == kStbLocal)
    ++image.symtab->header.sh_info;
}

void MakeIndexTable(OutputImage &image) {
  LogLine("Creating section index table");
  OutputSection *shndx = image.AddNewSection(".symtab_shndx", SHT_SYMTAB_SHNDX, 0);
  shndx->header.sh_entsize = 4;
  shndx->header.sh_addralign = 4;
  shndx->header.sh_link = image.symtab->index;
  std::vector<uint8_t> bytes(image.extendedIndexes.size() * 4);
  for (size_t i = 0; i < image.extendedIndexes.size(); ++i)
    WriteU32(&bytes[i * 4], image.extendedIndexes[i]);
  uint32_t size = uint32_t(bytes.size());
  shndx->data.Add(image.Keep(std::move(bytes)), size);
}

} // namespace

void MakeSymbolTable(BaseLinker &linker) {
  LogLine("Make symbol table");
  LogIndent();
  if (linker.TestFlag(Flag::NoSymbols) || linker.sectionHeaderMode == 0) {
    LogLine("No symbol table generated as --no-symbols or --no-section-headers specified");
    LogOutdent();
    return;
  }
  OutputImage &image = *linker.image;
  image.symtab = image.AddNewSection(".symtab", SHT_SYMTAB, 0);
  image.symtab->header.sh_entsize = sizeof(Elf32_Sym);
  image.symtab->header.sh_addralign = 4;
  image.symtab->header.sh_link = image.strtab->index;
  image.symbols.push_back(Elf32_Sym{});
  image.extendedIndexes.push_back(0);
  image.symtab->header.sh_info = 1;
  for (Symbol *symbol : CollectSymbols(linker))
    AppendSymbol(linker, image, *symbol);
  image.symtab->data.Add(image.symbols.data(), uint32_t(image.symbols.size() * sizeof(Elf32_Sym)));
  if (linker.TestFlag(Flag::NeedSymtabShndx))
    MakeIndexTable(image);
  LogOutdent();
}

} // namespace tanrek
