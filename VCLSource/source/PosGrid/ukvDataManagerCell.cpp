// TkvCell: a record's slot of a text, wide text or Variant in sixteen bytes (see
// ukvDataManagerCell.h); what it holds in the heap passes through unique_ptr on the way
// in and out, so the cell alone owns it in between.
#include "VCLSource/source/PosGrid/ukvDataManagerCell.h"

#include <memory>

size_t TkvCell::HeapBytes() const {
  switch (Tag()) {
    case kLongText: return sizeof(size_t) + Text().size();
    case kWide: return sizeof(WideString) + (Wide()->capacity() > 7 ? (Wide()->capacity() + 1) * 2 : 0);
    case kVariant: return sizeof(Variant);
    default: return 0;
  }
}

void TkvCell::SetText(std::string_view s) {
  if (s.size() <= kTag) {
    // s may be this cell's own text: taken before the old content goes.
    unsigned char inside[kTag];
    if (!s.empty()) std::memcpy(inside, s.data(), s.size());
    Release();
    if (!s.empty()) std::memcpy(FBytes, inside, s.size());
    FBytes[kTag] = static_cast<uint8_t>(kShortText + s.size());
    return;
  }
  const size_t length = s.size();
  std::unique_ptr<std::byte[]> block = std::make_unique_for_overwrite<std::byte[]>(sizeof length + length);
  std::memcpy(block.get(), &length, sizeof length);
  std::memcpy(block.get() + sizeof length, s.data(), length);
  Release();
  SetHeap(block.release(), kLongText);
}

void TkvCell::SetWide(WideString s) {
  auto held = std::make_unique<WideString>(std::move(s));
  Release();
  SetHeap(held.release(), kWide);
}

void TkvCell::SetVariant(const Variant& v) {
  if (Tag() == kVariant) {
    *Heap<Variant>() = v;
    return;
  }
  auto held = std::make_unique<Variant>(v);
  Release();
  SetHeap(held.release(), kVariant);
}

void TkvCell::Release() noexcept {
  switch (Tag()) {
    case kLongText: std::unique_ptr<std::byte[]>(Heap<std::byte>()).reset(); break;
    case kWide: std::unique_ptr<WideString>(Heap<WideString>()).reset(); break;
    case kVariant: std::unique_ptr<Variant>(Heap<Variant>()).reset(); break;
    default: break;
  }
}
