// Typed copies of one field's stored values in record order: the data controller's
// hot loops (sort keys, filter tests, totals, incremental search) read these instead of
// walking the records.
//
// A copy holds, per data record, whether the value is Null and where the value type's
// raw comparator finds it: the value's own bytes (its type's width, no pointer) for the
// types kept in at most eight bytes, the record's cell for texts. It is valid for one stamp of
// the storage and made again (one pass) when the stamp moved; types it cannot hold
// (decimals, Variants) have no copy and take the record path.
#pragma once
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>
#include "VCLSource/source/PosGrid/ukvDbHelperCompare.h"

// The sort key of a text (see TkvColumnCopy::FKeys).
struct TkvTextKey {
  uint64_t Hi = 0, Lo = 0;
};
TkvTextKey TextSortKey(std::string_view s);

class TkvColumnCopy {
 public:
  // Whether values of type t can be copied.
  static bool Holds(TkvValueTypeClass t);
  // Makes the copy when it is not valid for the storage's stamp; false when the
  // definition's type cannot be copied.
  bool Refresh(TkvDataStorage& storage, const TkvValueDef* def);
  // Making the copy while records are loaded: Begin, Append for each record in order,
  // then End with the storage's stamp after the last one.
  void Begin(const TkvValueDef* def, int expected);
  void Append(const TkvRecord* record);
  void End(uint64_t stamp) { FStamp = stamp; }
  // Makes the texts' sort keys (below) when the copy has none yet: a sort asks for
  // them, a copy only filtered, searched or totalled never holds them.
  void MakeSortKeys();
  bool Has(int record) const { return FHas[static_cast<size_t>(record)] != 0; }
  // Fixed-width values from the copy's bits (no cell), cell values from their cell.
  TkvConstPlace Place(int record) const {
    const size_t i = static_cast<size_t>(record);
    if (FUsesCell) return TkvConstPlace(nullptr, FCells[i]);
    return TkvConstPlace(&FData[i * FWidth], nullptr);
  }
  // The raw comparison of two records' values (Null first). Texts with sort keys first
  // compare those (below); equal keys leave it to the full comparison.
  int Compare(TkvRawCompare cmp, int a, int b) const {
    if (FSortKeys) {
      const TkvTextKey& ka = FKeys[static_cast<size_t>(a)];
      const TkvTextKey& kb = FKeys[static_cast<size_t>(b)];
      if (ka.Hi != kb.Hi) return ka.Hi < kb.Hi ? -1 : 1;
      if (ka.Lo != kb.Lo) return ka.Lo < kb.Lo ? -1 : 1;
    }
    const bool ha = Has(a), hb = Has(b);
    if (!ha || !hb) return ha == hb ? 0 : (ha ? 1 : -1);
    return cmp(Place(a), Place(b));
  }
  // A String value's text ('' for Null), where its record's cell keeps it.
  std::string_view Text(int record) const {
    const TkvCell* c = FCells[static_cast<size_t>(record)];
    return c ? c->Text() : std::string_view();
  }
  bool HasTexts() const { return FKeyed; }
  // The bits of a fixed-width value (its bytes, zero-padded to eight).
  uint64_t Bits(int record) const {
    uint64_t v;
    std::memcpy(&v, &FData[static_cast<size_t>(record) * FWidth], sizeof v);  // FData is padded
    return v & FMask;
  }
  int Count() const { return static_cast<int>(FHas.size()); }

 private:
  void Put(size_t i, const TkvRecord* record);
  // Empties the copy for def, ready for n records.
  void Reset(const TkvValueDef* def, size_t n);
  const TkvValueDef* FDef = nullptr;
  uint64_t FStamp = ~uint64_t(0);
  bool FUsesCell = false;
  size_t FWidth = 0;  // bytes of a fixed-width value (its type's DataSize), 0 for cells
  uint64_t FMask = 0;  // the bits of FWidth bytes
  std::vector<uint8_t> FHas;
  // Fixed-width types only: FWidth bytes a record, then kPad zero bytes, so that eight
  // bytes can be read at every record.
  static constexpr size_t kPad = 7;
  std::vector<uint8_t> FData;
  std::vector<const TkvCell*> FCells;  // cell types only
  // Texts: the first sixteen bytes of the text as CompareAnsiTexts orders it (upper-
  // cased as AnsiUpperCase does: single-byte letters, and double-byte letters by their
  // trail byte; lead bytes as they are), big-endian, padded with zeros; Null keys 0.
  // Different keys order two texts as CompareAnsiTexts does. FKeyed: a copy of String
  // values; FSortKeys: FKeys made.
  bool FKeyed = false;
  bool FSortKeys = false;
  std::vector<TkvTextKey> FKeys;
};
