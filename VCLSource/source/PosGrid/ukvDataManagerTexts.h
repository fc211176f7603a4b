// The texts of one value definition kept once each: records of a definition whose
// values have few texts (a Boolean shows the text of true, of false or nothing) keep
// a four-byte number of their text instead of a sixteen-byte cell per text.
//
// A number names a text for as long as a record holds it; 0 is always the empty text.
// Texts no record holds any more are dropped by Sweep, which the definition runs over
// its records when the texts have grown to twice what the last sweep kept, so a
// definition whose records take ever new texts keeps at most about twice the texts
// its records hold.
//
// Invariants:
//  - a text is kept under one number only; numbers run from 1 to Count() without gaps;
//  - Text of a number that names nothing (a corrupted or stale number) is ''.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TkvSharedTexts {
 public:
  // The number of s, a new one when s is not kept yet.
  uint32_t Add(std::string_view s);
  std::string_view Text(uint32_t id) const {
    return id == 0 || id > FById.size() ? std::string_view() : std::string_view(*FById[id - 1]);
  }
  size_t Count() const { return FById.size(); }
  // True when the texts have grown enough since the last sweep for a sweep to pay.
  bool SweepDue() const { return FById.size() >= FSweepAt; }
  // Keeps only the texts whose number is marked in `held` (indexed by number, any
  // size) and numbers them again; returns the new number of every old number (0 for
  // a dropped one), indexed by the old number.
  std::vector<uint32_t> Sweep(const std::vector<bool>& held);
  // Bytes held in the heap (the figures of the memory used).
  size_t HeapBytes() const;

 private:
  static constexpr size_t kFirstSweep = 64;
  std::unordered_map<std::string, uint32_t> FIds;
  std::vector<const std::string*> FById;  // number - 1 -> key of FIds
  size_t FSweepAt = kFirstSweep;
  uint32_t FLast = 0;  // the number Add gave last: records loaded in a row mostly repeat it
};
