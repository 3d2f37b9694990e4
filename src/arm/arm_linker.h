// The Arm back-end: the target's parameters, features and options. Generic
// code reaches it only through BaseLinker's virtual operations.
#pragma once

#include "arm/veneers.h"
#include "driver/linker.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace tanrek {

// The core kinds, by the architecture they implement.
enum CoreKind : uint32_t {
  ArmV4T = 0,
  ArmV5T = 1,
  ArmV6M = 2,
  ArmV7M = 3,
  ArmV7A = 4,
  ArmV8MBase = 5,
};

// The core kind of a --cpu= name, or none for an unknown name.
std::optional<CoreKind> CoreKindOfCpu(std::string_view name);

// What a core can execute. Arm state: A32 code. Thumb-2: the 32-bit Thumb
// branch, load and move encodings with their full range. BLX: the
// interworking call instruction. M mainline: ArmV7M alone.
bool HasArmState(uint32_t core);
bool HasThumb2(uint32_t core);
bool HasBlx(uint32_t core);
bool IsMMainline(uint32_t core);

class ArmLinker final : public BaseLinker {
public:
  // Target queries, in slot order.
  uint32_t ClassifyMappingSymbol(std::string_view name) const override;
  bool SupportsFeature(unsigned n) const override;
  uint32_t GetPara(unsigned n) const override;
  std::string RelocationName(uint32_t type) const override;
  bool IsRelocationApplied(uint32_t type) const override;
  bool IsCallRelocation(uint32_t type) const override;
  uint32_t InitRoutineCodeSize(uint32_t method) const override;
  void RelocateSection(LinkSection &section, uint32_t mode) override;
  void RelocateDebugSection(LinkSection &section) override;
  bool ParseTargetOption(AsmOptions &cursor) override;

  // Back-end phases.
  void ConstructVeneers() override;
  void CreateAttributes() override;
  void FunctionInlining() override {}

  uint32_t cpuClass = ArmV6M;
  // Every veneer made or reused, for the map.
  VeneerList veneers;
  // 0x2 comments in the listing, 0x10000 use the adr pseudo-instruction,
  // 0x20000 do not use the ldr pseudo-instruction.
  uint32_t listingOptions = 0x10002;
};

} // namespace tanrek
