#include "VCLSource/source/PosGrid/ukvDbHelperColumns.h"

#include <cstring>

TkvTextKey TextSortKey(const AnsiString& s) {
  unsigned char folded[16] = {};
  size_t i = 0, taken = 0;
  while (taken < 16 && i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (IsLeadByte(c) && i + 1 < s.size()) {
      folded[taken++] = c;
      if (taken < 16) folded[taken++] = static_cast<unsigned char>(s[i + 1]);
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
         (t->UsesCell() || t->DataSize() <= 8);
}

bool TkvColumnCopy::Refresh(TkvDataStorage& storage, const TkvValueDef* def) {
  if (!def || !Holds(def->ValueType())) return false;
  if (def == FDef && FStamp == storage.Stamp()) return true;
  const int n = storage.RecordCount();
  const int size = def->ValueType()->DataSize();
  const bool cell = def->ValueType()->UsesCell();
  FHas.assign(static_cast<size_t>(n), 0);
  FBits.assign(static_cast<size_t>(n), 0);
  FCells.assign(static_cast<size_t>(n), nullptr);
  FKeyed = def->ValueType() == TkvStringValueTypeClass();
  FKeys.assign(FKeyed ? static_cast<size_t>(n) : 0, TkvTextKey());
  for (int r = 0; r < n; ++r) {
    TkvConstPlace p;
    if (!def->GetRecordPlace(storage.RecordAt(r), p)) continue;
    const size_t i = static_cast<size_t>(r);
    FHas[i] = 1;
    if (cell) {
      FCells[i] = p.Cell;
      if (const auto* text = std::get_if<AnsiString>(p.Cell); FKeyed && text) FKeys[i] = TextSortKey(*text);
    } else {
      std::memcpy(&FBits[i], p.Data, static_cast<size_t>(size));
    }
  }
  FDef = def;
  FStamp = storage.Stamp();
  return true;
}
