// A record's cell: the slot of a value that does not fit the record's bytes (a text, a
// wide text or a Variant) and of a record's stored texts, in sixteen bytes.
//
// A cell holds nothing, a text, a wide text or a Variant. Texts of up to fifteen bytes
// (most codes, names and numbers shown) are kept in the cell itself; a longer text
// takes one heap block (its length, then its bytes), a wide text and a Variant one
// object each. The cell owns what it holds and frees it by itself.
//
// Invariants:
//  - the last byte is the tag: kEmpty, kShortText + length for a text kept inside,
//    kLongText, kWide or kVariant for one held in the heap (the first bytes then hold
//    the pointer);
//  - an empty text is a text (the Variant ''), not nothing (Null).
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include "rtl/AnsiString.h"
#include "rtl/Variant.h"

class TkvCell {
 public:
  TkvCell() noexcept { FBytes[kTag] = kEmpty; }
  ~TkvCell() { Release(); }
  TkvCell(TkvCell&& other) noexcept {
    std::memcpy(FBytes, other.FBytes, sizeof FBytes);
    other.FBytes[kTag] = kEmpty;
  }
  TkvCell& operator=(TkvCell&& other) noexcept {
    if (this != &other) {
      Release();
      std::memcpy(FBytes, other.FBytes, sizeof FBytes);
      other.FBytes[kTag] = kEmpty;
    }
    return *this;
  }
  TkvCell(const TkvCell&) = delete;
  TkvCell& operator=(const TkvCell&) = delete;

  bool Empty() const { return Tag() == kEmpty; }
  bool HasText() const { return Tag() != kEmpty && Tag() <= kLongText; }
  // The text held; '' when the cell holds no text.
  std::string_view Text() const {
    const uint8_t t = Tag();
    if (t == kEmpty || t > kLongText) return std::string_view();
    if (t != kLongText) return std::string_view(reinterpret_cast<const char*>(FBytes), t - kShortText);
    const std::byte* block = Heap<std::byte>();
    size_t length;
    std::memcpy(&length, block, sizeof length);
    return std::string_view(reinterpret_cast<const char*>(block + sizeof length), length);
  }
  // The wide text held; null when the cell holds none.
  const WideString* Wide() const { return Tag() == kWide ? Heap<WideString>() : nullptr; }
  // The Variant held; null when the cell holds none.
  const Variant* HeldVariant() const { return Tag() == kVariant ? Heap<Variant>() : nullptr; }
  // Bytes the cell holds in the heap beyond itself (the figures of the memory used).
  size_t HeapBytes() const;

  // Each setter makes the new content first: when that fails the cell is unchanged.
  void SetText(std::string_view s);
  void SetWide(WideString s);
  void SetVariant(const Variant& v);
  void Clear() noexcept {
    Release();
    FBytes[kTag] = kEmpty;
  }

 private:
  static constexpr size_t kSize = 16;
  static constexpr size_t kTag = kSize - 1;
  static constexpr uint8_t kEmpty = 0;
  static constexpr uint8_t kShortText = 1;                    // + the length, up to kTag
  static constexpr uint8_t kLongText = kShortText + kTag + 1;  // the tags after the short texts
  static constexpr uint8_t kWide = kLongText + 1;
  static constexpr uint8_t kVariant = kWide + 1;

  uint8_t Tag() const { return FBytes[kTag]; }
  template <class T>
  T* Heap() const {
    T* p;
    std::memcpy(&p, FBytes, sizeof p);
    return p;
  }
  void SetHeap(const void* p, uint8_t tag) noexcept {
    std::memcpy(FBytes, &p, sizeof p);
    FBytes[kTag] = tag;
  }
  void Release() noexcept;

  alignas(void*) unsigned char FBytes[kSize];
};
static_assert(sizeof(TkvCell) == 16, "a cell takes sixteen bytes");
