// The texts of one value definition kept once each (see ukvDataManagerTexts.h).
#include "VCLSource/source/PosGrid/ukvDataManagerTexts.h"

#include <algorithm>

uint32_t TkvSharedTexts::Add(std::string_view s) {
  if (s.empty()) return 0;
  if (FLast != 0 && *FById[FLast - 1] == s) return FLast;
  const auto found = FIds.find(std::string(s));
  if (found != FIds.end()) return FLast = found->second;
  FById.reserve(FById.size() + 1);  // nothing is kept when this throws
  const auto made = FIds.emplace(std::string(s), static_cast<uint32_t>(FById.size() + 1)).first;
  FById.push_back(&made->first);
  return FLast = made->second;
}

std::vector<uint32_t> TkvSharedTexts::Sweep(const std::vector<bool>& held) {
  std::vector<uint32_t> renumbered(FById.size() + 1, 0);
  std::vector<const std::string*> kept;
  kept.reserve(FById.size());
  for (size_t id = 1; id <= FById.size(); ++id) {
    if (id < held.size() && held[id]) {
      kept.push_back(FById[id - 1]);
      renumbered[id] = static_cast<uint32_t>(kept.size());
    }
  }
  for (size_t id = 1; id <= FById.size(); ++id) {
    auto it = FIds.find(*FById[id - 1]);
    if (renumbered[id] == 0) FIds.erase(it);
    else it->second = renumbered[id];
  }
  FById = std::move(kept);
  FLast = 0;
  FSweepAt = std::max(kFirstSweep, 2 * FById.size());
  return renumbered;
}

size_t TkvSharedTexts::HeapBytes() const {
  size_t n = FById.capacity() * sizeof(const std::string*) + FIds.bucket_count() * sizeof(void*);
  for (const auto& [text, id] : FIds) n += sizeof(text) + sizeof(id) + 2 * sizeof(void*) + (text.size() > 15 ? text.capacity() + 1 : 0);
  return n;
}
