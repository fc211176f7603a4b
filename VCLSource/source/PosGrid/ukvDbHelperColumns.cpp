#include "VCLSource/source/PosGrid/ukvDbHelperColumns.h"

#include <cstring>

uint64_t TextSortKey(const AnsiString& s) {
  uint64_t key = 0;
  size_t i = 0;
  int taken = 0;
  while (taken < 8 && i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (IsLeadByte(c) && i + 1 < s.size()) {
      key = (key << 8) | c;
      if (++taken < 8) {
        key = (key << 8) | static_cast<unsigned char>(s[i + 1]);
        ++taken;
      }
      i += 2;
    } else {
      key = (key << 8) | static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
      ++taken;
      ++i;
    }
  }
  return key << (8 * (8 - taken));
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
  FKeys.assign(FKeyed ? static_cast<size_t>(n) : 0, 0);
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
