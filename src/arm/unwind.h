// The compact unwinding instructions of the Arm exception-handling ABI as
// the map shows them: "[97] sp = r7; [B0] Finish".
//
// The instructions are a byte stream taken from 32-bit words, most
// significant byte of each word first, whatever the image's byte order
// (the words themselves are read in image order by the caller).
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tanrek {

// One line for the instruction bytes `bytes`: each instruction as its raw
// bytes, a space and its text, joined by "; ". Decoding stops after
// "Finish", and after a two-byte instruction that lacks its second byte
// ("truncated opcode <XX>").
std::string DescribeUnwindBytes(std::span<const uint8_t> bytes);

// The same for `count` instruction bytes held in `words`, after `skip`
// leading bytes that are not instructions (the personality index byte of a
// compact model word). Bytes beyond the words are not read.
std::string DescribeUnwindInstructions(std::span<const uint32_t> words, uint32_t count, uint32_t skip = 0);

} // namespace tanrek
