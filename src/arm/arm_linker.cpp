#include "arm/arm_linker.h"

#include "driver/diagnostics.h"
#include "driver/options.h"

#include <array>

namespace tanrek {

namespace {

struct CpuName {
  std::string_view name;
  CoreKind kind;
};

const CpuName kCpuNames[] = {
    {"arm7tdmi", ArmV4T},     {"arm7tdmi-s", ArmV4T},    {"v4T", ArmV4T},          {"v5T", ArmV5T},
    {"v5TE", ArmV5T},         {"cortex-m0", ArmV6M},     {"cortex-m0plus", ArmV6M}, {"cortex-m1", ArmV6M},
    {"cortex-m23", ArmV6M},   {"6-M", ArmV6M},           {"cortex-m3", ArmV7M},    {"cortex-m4", ArmV7M},
    {"cortex-m7", ArmV7M},    {"cortex-m33", ArmV7M},    {"7-M", ArmV7M},          {"7E-M", ArmV7M},
    {"8-M.main", ArmV7M},     {"cortex-a8", ArmV7A},     {"cortex-a9", ArmV7A},    {"7-A", ArmV7A},
    {"8-M.base", ArmV8MBase},
};

struct CoreCapabilities {
  bool armState;
  bool thumb2;
  bool blx;
  bool mMainline;
};

// Indexed by CoreKind.
constexpr CoreCapabilities kCapabilities[] = {
    {true, false, false, false},  // ArmV4T
    {true, false, true, false},   // ArmV5T
    {false, false, false, false}, // ArmV6M
    {false, true, false, true},   // ArmV7M
    {true, true, true, false},    // ArmV7A
    {false, false, false, false}, // ArmV8MBase
};

const CoreCapabilities &Capabilities(uint32_t core) {
  return kCapabilities[core < std::size(kCapabilities) ? core : uint32_t(ArmV6M)];
}

// A listing option pair: `set` turns the bits on unless `inverted`.
struct ListingOption {
  const char *on;
  const char *off;
  uint32_t bits;
  bool inverted;
};

const ListingOption kListingOptions[] = {
    {"--map-listing-with-comments", "--no-map-listing-with-comments", 0x2, false},
    {"--map-listing-use-adr-pseudo", "--no-map-listing-use-adr-pseudo", 0x10000, false},
    {"--map-listing-use-ldr-pseudo", "--no-map-listing-use-ldr-pseudo", 0x20000, true},
};

} // namespace

std::optional<CoreKind> CoreKindOfCpu(std::string_view name) {
  for (const CpuName &cpu : kCpuNames)
    if (cpu.name == name)
      return cpu.kind;
  return std::nullopt;
}

bool HasArmState(uint32_t core) { return Capabilities(core).armState; }
bool HasThumb2(uint32_t core) { return Capabilities(core).thumb2; }
bool HasBlx(uint32_t core) { return Capabilities(core).blx; }
bool IsMMainline(uint32_t core) { return Capabilities(core).mMainline; }

uint32_t ArmLinker::GetPara(unsigned n) const {
  switch (n) {
  case 0:
    return 9;
  case 1:
    return 2;
  case 2:
    return 40; // EM_ARM
  case 3:
    return 0x05000000; // EF_ARM_EABI_VER5
  default:
    Fatal(const_cast<ArmLinker &>(*this), "parameter not covered in ArmLinker::GetPara()");
  }
}

bool ArmLinker::SupportsFeature(unsigned n) const {
  switch (static_cast<Feature>(n)) {
  case Feature::Veneers:
  case Feature::BuildAttributes:
  case Feature::Inlining:
    return true;
  case Feature::SpringboardCalls:
  case Feature::Relaxation:
  case Feature::Feature5:
  case Feature::BaseRegisterReservation:
  case Feature::Outlining:
    return false;
  }
  Fatal(const_cast<ArmLinker &>(*this), "feature not covered in ArmLinker::SupportsFeature()");
}

bool ArmLinker::ParseTargetOption(AsmOptions &cursor) {
  if (cursor.HasPrefixOneOf("-cpu=", "--cpu=", "-mcpu=")) {
    std::optional<CoreKind> kind = CoreKindOfCpu(cursor.Value());
    if (!kind)
      Fatal(*this, "unknown CPU '%s'", cursor.Value());
    cpuClass = *kind;
    return true;
  }
  for (const ListingOption &option : kListingOptions) {
    if (cursor.Is(option.on) || cursor.Is(option.off)) {
      bool on = cursor.Is(option.on) != option.inverted;
      listingOptions = on ? (listingOptions | option.bits) : (listingOptions & ~option.bits);
      return true;
    }
  }
  return false;
}

} // namespace tanrek
