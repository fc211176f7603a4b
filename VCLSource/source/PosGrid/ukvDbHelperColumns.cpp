// TkvColumnCopy: the typed copy of one field's stored values in record order that the
// data controller's hot loops read, made again when the storage's stamp moved.
#include "VCLSource/source/PosGrid/ukvDbHelperColumns.h"

#include <cstring>

TkvTextKey TextSortKey(std::string_view s) {
  static const bool* const folding = FoldingLeads();
  unsigned char folded[16] = {};
  size_t i = 0, taken = 0;
  while (taken < 16 && i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (IsLeadByte(c) && i + 1 < s.size()) {
      folded[taken++] = c;
      if (taken < 16) folded[taken++] = UpperTrail(folding, c, static_cast<unsigned char>(s[i + 1]));
      i += 2;
    } else {
      folded[taken++] = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
      ++i;
    }
  }
  TkvTextKey k;
  for (int b = 0; b < 8; ++b) k.Hi = (k.Hi << 8) | folded[b];
  for (int b = 8; b < 16; ++b) k.Lo = (k.Lo << 8) | folded[b];
  return k;
}

bool TkvColumnCopy::Holds(TkvValueTypeClass t) {
  return t && t != TkvFMTBcdValueTypeClass() && t != TkvVariantValueTypeClass() && t != TkvValueTypeBaseClass() &&
         (t->UsesCell() || t->DataSize() == 1 || t->DataSize() == 2 || t->DataSize() == 4 || t->DataSize() == 8);
}

void TkvColumnCopy::Put(size_t i, const TkvRecord* record) {
  TkvConstPlace p;
  if (!FDef->GetRecordPlace(record, p)) return;
  FHas[i] = 1;
  if (!FUsesCell) {
    std::memcpy(&FData[i * FWidth], p.Data, FWidth);
    return;
  }
  FCells[i] = p.Cell;
}

void TkvColumnCopy::Reset(const TkvValueDef* def, size_t n) {
  FDef = def;
  FStamp = ~uint64_t(0);
  FUsesCell = def->ValueType()->UsesCell();
  FWidth = FUsesCell ? 0 : static_cast<size_t>(def->ValueType()->DataSize());
  FMask = FWidth >= 8 ? ~uint64_t(0) : (uint64_t(1) << (8 * FWidth)) - 1;
  FKeyed = def->ValueType() == TkvStringValueTypeClass();
  FHas.assign(n, 0);
  FData.assign(FUsesCell ? 0 : n * FWidth + kPad, 0);
  FCells.assign(FUsesCell ? n : 0, nullptr);
  FSortKeys = false;
  FKeys.clear();
  FKeys.shrink_to_fit();
}

void TkvColumnCopy::Begin(const TkvValueDef* def, int expected) {
  Reset(def, 0);
  const size_t n = static_cast<size_t>(expected);
  FHas.reserve(n);
  if (FUsesCell) FCells.reserve(n); else FData.reserve(n * FWidth + kPad);
}

void TkvColumnCopy::Append(const TkvRecord* record) {
  const size_t i = FHas.size();
  FHas.push_back(0);
  if (FUsesCell) FCells.push_back(nullptr); else FData.resize(FData.size() + FWidth);
  Put(i, record);
}

void TkvColumnCopy::MakeSortKeys() {
  if (!FKeyed || FSortKeys) return;
  const size_t n = FHas.size();
  FKeys.assign(n, TkvTextKey());
  for (size_t i = 0; i < n; ++i)
    if (FHas[i] && FCells[i]->HasText()) FKeys[i] = TextSortKey(FCells[i]->Text());
  FSortKeys = true;
}

bool TkvColumnCopy::Refresh(TkvDataStorage& storage, const TkvValueDef* def) {
  if (!def || !Holds(def->ValueType())) return false;
  if (def == FDef && FStamp == storage.Stamp()) return true;
  const int n = storage.RecordCount();
  Reset(def, static_cast<size_t>(n));
  for (int r = 0; r < n; ++r) Put(static_cast<size_t>(r), storage.RecordAt(r));
  FStamp = storage.Stamp();
  return true;
}
