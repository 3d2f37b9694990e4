// Decoder of the compact unwinding instructions for the map. Each
// instruction is one byte, except three forms that take more: the pop
// under a 12-bit mask (1000iiii iiiiiiii), the pop of low registers
// (10110001 0000iiii) and the large stack increment (10110010 followed by a
// ULEB128 number). Opcodes this decoder does not know take one byte, so the
// line shows every byte once. The stream ends at "Finish" or when the bytes
// run out; a multi-byte instruction cut short ends it as well.
#include "arm/unwind.h"

#include "driver/format.h"

#include <algorithm>
#include <vector>

namespace tanrek {

namespace {

constexpr uint8_t kFinish = 0xB0;
constexpr uint8_t kPopLow = 0xB1;
constexpr uint8_t kLargeIncrement = 0xB2;

// The raw bytes of one instruction: "[%02X]", "[%02X %02X]", ...
std::string RawBytes(std::span<const uint8_t> bytes) {
  std::string text = Format("[%02X", bytes[0]);
  for (size_t i = 1; i < bytes.size(); ++i)
    text += Format(" %02X", bytes[i]);
  return text + "]";
}

// "pop {rA, rB, ...}" for the set bits of `mask`, bit k naming register
// k + `first`.
std::string PopList(uint32_t mask, uint32_t first) {
  std::string text = "pop {";
  const char *separator = "";
  for (uint32_t k = 0; k < 16; ++k) {
    if (!(mask & (uint32_t(1) << k)))
      continue;
    text += separator + Format("r%u", k + first);
    separator = ", ";
  }
  return text + "}";
}

// The text of a one-byte instruction.
std::string OneByteText(uint8_t op) {
  if ((op & 0xC0) == 0x00)
    return Format("sp += %u", (op & 0x3F) * 4u + 4);
  if ((op & 0xC0) == 0x40)
    return Format("sp -= %u", (op & 0x3F) * 4u + 4);
  if (op == 0x9D || op == 0x9F)
    return "Reserved";
  if ((op & 0xF0) == 0x90)
    return Format("sp = r%u", op & 0x0Fu);
  if ((op & 0xF8) == 0xA0)
    return (op & 7) == 0 ? std::string("pop {r4}") : Format("pop {r4-r%u}", 4u + (op & 7));
  if ((op & 0xF8) == 0xA8)
    return (op & 7) == 0 ? std::string("pop {r4, lr}") : Format("pop {r4-r%u, lr}", 4u + (op & 7));
  if (op == kFinish)
    return "Finish";
  return "Unknown";
}

// The number of bytes of the instruction at `at`, or 0 when the bytes end
// before it does.
size_t InstructionLength(std::span<const uint8_t> bytes, size_t at) {
  uint8_t op = bytes[at];
  size_t length = 1;
  if ((op & 0xF0) == 0x80 || op == kPopLow)
    length = 2;
  else if (op == kLargeIncrement) {
    // A ULEB128 number: every byte but the last has bit 7 set.
    length = 2;
    while (at + length - 1 < bytes.size() && (bytes[at + length - 1] & 0x80))
      ++length;
  }
  return at + length <= bytes.size() ? length : 0;
}

// The text of a multi-byte instruction.
std::string MultiByteText(std::span<const uint8_t> insn) {
  uint8_t op = insn[0];
  if ((op & 0xF0) == 0x80)
    return PopList((uint32_t(op & 0x0F) << 8) | insn[1], 4);
  if (op == kPopLow) {
    if ((insn[1] & 0xF0) != 0 || insn[1] == 0)
      return "unknown opcode";
    return PopList(insn[1], 0);
  }
  // Bits of the number beyond 32 cannot describe a stack adjustment and
  // are dropped.
  uint32_t value = 0;
  for (size_t i = 1, shift = 0; i < insn.size() && shift < 32; ++i, shift += 7)
    value |= uint32_t(insn[i] & 0x7F) << shift;
  return Format("sp += %u", 0x204 + value * 4);
}

} // namespace

std::string DescribeUnwindBytes(std::span<const uint8_t> bytes) {
  std::string line;
  for (size_t at = 0; at < bytes.size();) {
    if (!line.empty())
      line += "; ";
    size_t length = InstructionLength(bytes, at);
    if (length == 0)
      return line + Format("truncated opcode <%02X>", bytes[at]);
    std::span<const uint8_t> insn = bytes.subspan(at, length);
    line += RawBytes(insn) + " " + (length == 1 ? OneByteText(insn[0]) : MultiByteText(insn));
    if (insn[0] == kFinish)
      break;
    at += length;
  }
  return line;
}

std::string DescribeUnwindInstructions(std::span<const uint32_t> words, uint32_t count, uint32_t skip) {
  std::vector<uint8_t> bytes;
  uint64_t end = std::min<uint64_t>(uint64_t(skip) + count, uint64_t(words.size()) * 4);
  for (uint64_t i = skip; i < end; ++i)
    bytes.push_back(uint8_t(words[i / 4] >> (24 - 8 * (i % 4))));
  return DescribeUnwindBytes(bytes);
}

} // namespace tanrek
