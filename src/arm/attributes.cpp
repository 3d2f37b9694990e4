// The output build-attributes section: one "aeabi" subsection with the
// file-scope architecture and profile of the core the image was linked
// for, so that debuggers and loaders can tell an M-profile image from an
// A-profile one. Lengths are in the image byte order.
#include "arm/arm_linker.h"

#include "driver/byte_order.h"
#include "input/input_file.h"
#include "output/output_image.h"

#include <algorithm>
#include <array>

namespace tanrek {

namespace {

struct CoreAttributes {
  uint8_t arch;    // Tag_CPU_arch
  uint8_t profile; // Tag_CPU_arch_profile
};

// Indexed by CoreKind.
constexpr std::array<CoreAttributes, 6> kCoreAttributes = {{
    {2, 0},     // ArmV4T
    {3, 0},     // ArmV5T
    {11, 0},    // ArmV6M
    {10, 'M'},  // ArmV7M
    {10, 'A'},  // ArmV7A
    {16, 0},    // ArmV8MBase
}};

constexpr uint8_t kTagFile = 1, kTagCpuArch = 6, kTagCpuArchProfile = 7;

std::vector<uint8_t> BuildAttributes(uint32_t coreKind) {
  CoreAttributes core = kCoreAttributes[coreKind < kCoreAttributes.size() ? coreKind : ArmV6M];
  std::vector<uint8_t> bytes(20);
  bytes[0] = 'A';
  WriteU32(&bytes[1], 19); // the subsection, from its length field on
  std::copy_n("aeabi", 6, &bytes[5]);
  bytes[11] = kTagFile;
  WriteU32(&bytes[12], 9); // the file-scope attributes, from the tag on
  bytes[16] = kTagCpuArch;
  bytes[17] = core.arch;
  bytes[18] = kTagCpuArchProfile;
  bytes[19] = core.profile;
  return bytes;
}

} // namespace

void ArmLinker::CreateAttributes() {
  std::vector<uint8_t> bytes = BuildAttributes(cpuClass);
  LinkSection *section =
      MakeLinkerSection(*this, ".ARM.attributes", kShtArmAttributes, 0, uint32_t(bytes.size()), 1);
  section->SetReplacementContents(std::move(bytes));
  if (sectionHeaderMode == 0)
    return;
  OutputSection *output = image->AddNewSection(".ARM.attributes", kShtArmAttributes, 0);
  output->data.Add(section->Contents(), section->Size());
}

} // namespace tanrek
