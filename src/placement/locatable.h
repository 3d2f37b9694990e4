// Placeable items: everything the linker can give an address to. Sets of
// items are ordered by creation serial, never by pointer, so that every run
// on the same inputs makes the same decisions in the same order.
//
// This holds the part of the item model that the pipeline needs to decide
// whether placement is complete; sections, blocks and copied blocks grow
// their contents, sizes and operations with the object reader.
#pragma once

#include <cstdint>
#include <set>
#include <string>

namespace tanrek {

// Every placeable item and symbol record takes a serial from one
// process-wide counter at construction.
struct Serialized {
  Serialized();
  uint32_t serial;
};

struct BySerial {
  bool operator()(const Serialized *a, const Serialized *b) const { return a->serial < b->serial; }
};

// The state bits of a Locatable.
enum LocatableState : uint32_t {
  StateQueued = 1,
  StateDeferred = 4,
  StateMapped = 8,
  StateLinkOrdered = 16,
  StateExceptionIndex = 32,
  StateExceptionBlock = 64,
  StateSynthesized = 128,
  StateLinkTarget = 256,
};

class Locatable : public Serialized {
public:
  virtual ~Locatable() = default;

  bool IsMapped() const { return state & StateMapped; }

  // Gives the item its address.
  virtual void Map(uint32_t address);
  uint32_t Address() const { return address; }

  uint32_t state = 0;

protected:
  uint32_t address = 0;
};

class LinkSection : public Locatable {
public:
  explicit LinkSection(std::string name = {}) : name(std::move(name)) {}
  std::string name;
};

class LinkBlock : public Locatable {
public:
  explicit LinkBlock(std::string name = {}) : name(std::move(name)) {}
  std::string name;
};

// The blocks that must receive an address, ordered by serial.
using MappedBlockSet = std::set<LinkBlock *, BySerial>;

} // namespace tanrek
