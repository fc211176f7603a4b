// Key locate and the incremental search of the data controller, and the readers of the
// bound fields' values and texts.
#include "VCLSource/source/PosGrid/ukvDbHelperSearch.h"

#include "VCLSource/source/PosGrid/ukvDbHelperRows.h"
#include "db/FieldClasses.h"

// --- readers ------------------------------------------------------------------------------------

Variant DataFieldValue(const TField* field) {
  if (field->IsNull()) return Variant::Null();
  if (field->DataType() == ftWideString) return Variant(field->AsWideString());
  return field->Value();
}

// The owner of every definition read must be a field item: checked once per definition.
TkvDbField* TkvValueDefDBReader::FieldOf(TkvValueDef* def) const {
  for (const auto& [d, f] : FChecked)
    if (d == def) return f;
  auto* f = dynamic_cast<TkvDbField*>(def->GetLink());
  if (!f) throw EAssertionFailed("Assertion failure (VCLSource\\source\\PosGrid\\ukvDbHelper)");
  FChecked.emplace_back(def, f);
  return f;
}

void TkvValueDefDBReader::GetDisplayText(TkvValueDef* def, AnsiString& text) {
  TkvDbField* f = FieldOf(def);
  if (TField* d = f->DataField()) text = d->GetDisplayText(true);
  else TkvValueDefReader::GetDisplayText(def, text);
}

void TkvValueDefDBReader::GetValue(TkvValueDef* def, Variant& v) {
  TkvDbField* f = FieldOf(def);
  if (TField* d = f->DataField()) v = DataFieldValue(d);
  else TkvValueDefReader::GetValue(def, v);
}

void TkvValueDefRecordReader::GetDisplayText(TkvValueDef* def, AnsiString& text) {
  TkvDbField* f = FieldOf(def);
  if (f->DataField()) TkvValueDefDBReader::GetDisplayText(def, text);
  else if (FSource >= 0 && FSource < FController->GetRecordCount()) FController->Storage().GetDisplayText(FSource, def, text);
  else text.clear();
}

// Unbound values come from the source record (a re-read keeps them).
void TkvValueDefRecordReader::GetValue(TkvValueDef* def, Variant& v) {
  TkvDbField* f = FieldOf(def);
  if (f->DataField()) TkvValueDefDBReader::GetValue(def, v);
  else if (FSource >= 0 && FSource < FController->GetRecordCount()) FController->Storage().GetValue(FSource, def, v);
  else v = Variant::Null();
}

void TkvValueDefUnboundReader::SetValue(TkvValueDef* def, const Variant& v) {
  for (size_t i = 0; i < FDefs.size(); ++i)
    if (FDefs[i] == def) {
      FValues[i] = v;
      return;
    }
  FDefs.push_back(def);
  FValues.push_back(v);
}

void TkvValueDefUnboundReader::GetValue(TkvValueDef* def, Variant& v) {
  // An internal definition stands for the definition it was made from.
  if (auto* in = dynamic_cast<TkvInternalValueDef*>(def)) def = in->DataDef();
  for (size_t i = 0; i < FDefs.size(); ++i)
    if (FDefs[i] == def) {
      v = FValues[i];
      return;
    }
  v = Variant::Null();
}

bool TkvValueDefUnboundReader::SkipValueDef(TkvValueDef* def) {
  auto* f = dynamic_cast<TkvDbField*>(def->GetLink());
  return f && !f->DataField();
}

// --- key locate -----------------------------------------------------------------------------------

void TkvDataControllerLocateObject::ReleaseKeyRecord() {
  if (FKeyRecord < 0) FController->Storage().DeleteRecord(FKeyRecord);
  FKeyRecord = 0;
}

bool TkvDataControllerKeyLocateObject::SetKeyValues(const Variant& values) {
  TkvValueDefUnboundReader reader;
  if (Fields.size() == 1) {
    reader.SetValue(Fields[0]->ValueDef(), values);
  } else {
    if (!values.IsArray()) return false;
    const auto& items = values.ArrayData()->Items;
    for (size_t i = 0; i < Fields.size(); ++i)
      reader.SetValue(Fields[i]->ValueDef(), i < items.size() ? items[i] : Variant::Null());
  }
  if (FKeyRecord == 0) FKeyRecord = FController->Storage().AppendInternalRecord();
  FController->Storage().ReadRecord(FKeyRecord, reader);
  return true;
}

int TkvDataControllerKeyLocateObject::Locate() {
  if (FKeyRecord >= 0) return -1;
  TkvCustomDbDataController& c = *FController;
  for (TkvDbField* k : Fields) k->SetCompareMode(c.CompareByValues(k) ? (c.CompareByDisplayText(k) ? 2 : 1) : -1);
  TkvFinally resetModes([this] {
    for (TkvDbField* k : Fields) k->SetCompareMode(0);
  });
  for (int r = 0; r < c.GetRecordCount(); ++r) {
    bool all = true;
    for (TkvDbField* k : Fields)
      if (c.CompareRecordValues(r, FKeyRecord, k) != 0) {
        all = false;
        break;
      }
    if (all) return r;
  }
  return -1;
}

// --- search -------------------------------------------------------------------------------------

bool MatchText(std::string_view text, std::string_view pattern, bool prefix) {
  if (pattern.empty()) return text.empty();
  if (prefix) {
    if (pattern.size() > text.size()) return false;
    // Upper-casing is decided character by character from the start: the first bytes
    // of the text upper-case as they would inside the whole text.
    return AnsiUpperCase(text.substr(0, pattern.size())) == AnsiUpperCase(pattern);
  }
  return text.size() == pattern.size() && AnsiUpperCase(text) == AnsiUpperCase(pattern);
}

namespace {

// The prefix test with the pattern upper-cased once: the text's first bytes are
// upper-cased a character at a time as AnsiUpperCase does (single-byte letters, and a
// double-byte letter by its trail byte; a lead byte never changes) and compared on the
// way.
bool MatchUpperPrefix(std::string_view text, const AnsiString& upperPattern) {
  const size_t m = upperPattern.size();
  if (m > text.size()) return false;
  const bool* folding = FoldingLeads();
  for (size_t i = 0; i < m;) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (i + 1 < m && IsLeadByte(c)) {
      if (text[i] != upperPattern[i] ||
          static_cast<char>(UpperTrail(folding, c, static_cast<unsigned char>(text[i + 1]))) != upperPattern[i + 1])
        return false;
      i += 2;
      continue;
    }
    const char u = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    if (u != upperPattern[i]) return false;
    ++i;
  }
  return true;
}

}  // namespace

int TkvDataControllerSearch::SearchFieldIndex() const { return FField ? FField->Index() : -1; }

void TkvDataControllerSearch::Clear() {
  if (FLocked || !FActive) return;
  FActive = false;
  FText.clear();
  FController->Changed(dcmSearch);
}

void TkvDataControllerSearch::FieldRemoved(TkvDbField* field) {
  if (FField != field) return;
  FField = nullptr;
  const bool locked = FLocked;
  FLocked = false;
  Clear();
  FLocked = locked;
}

void TkvDataControllerSearch::FocusRowLocked(int row) {
  Lock();
  TkvFinally unlock([this] { Unlock(); });
  FController->FocusRecordIndex(FController->GetRowRecordIndex(row));
  FController->UpdateNow();
}

int TkvDataControllerSearch::ScanRows(int startRow, int endRow, bool forward, const AnsiString& text) {
  const int rows = FController->RowCount();
  if (rows == 0 || !FField) return -1;
  if (endRow == -1) endRow = forward ? rows - 1 : 0;
  const AnsiString upper = AnsiUpperCase(text);
  const std::vector<int>& list = FController->Info().Rows();
  const int field = FField->Index();
  // Stored texts are read from the field's typed copy when they are the search texts.
  const TkvColumnCopy* copy = FController->SearchTextIsStoredText(FField) ? FController->ColumnCopy(FField) : nullptr;
  if (copy && !copy->HasTexts()) copy = nullptr;
  AnsiString t;
  for (int r = startRow; forward ? r <= endRow : r >= endRow; r += forward ? 1 : -1) {
    if (r < 0 || r >= rows) break;
    const int record = list[static_cast<size_t>(r)];
    std::string_view text;
    if (copy) {
      text = copy->Text(record);
    } else {
      FController->GetSearchText(record, field, t);
      text = t;
    }
    if (upper.empty() ? text.empty() : MatchUpperPrefix(text, upper)) return r;
  }
  return -1;
}

bool TkvDataControllerSearch::Search(int fieldIndex, const AnsiString& text) {
  return SearchAround(fieldIndex, text, true);
}

bool TkvDataControllerSearch::SearchFrom(int fieldIndex, const AnsiString& text, bool forward) {
  return forward ? Search(fieldIndex, text) : SearchAround(fieldIndex, text, false);
}

// From the focused row to the end in the direction (from the first row forwards, the
// last backwards, when none is focused), then from the other end up to the focused row.
bool TkvDataControllerSearch::SearchAround(int fieldIndex, const AnsiString& text, bool forward) {
  if (text.empty() || FController->RowCount() == 0) return false;
  FController->CheckFieldIndex(fieldIndex);
  FField = FController->Fields().Items(fieldIndex);
  const int last = FController->RowCount() - 1;
  int s = FController->FocusedRowIndex();
  if (s < 0) s = forward ? 0 : last;
  int r = ScanRows(s, -1, forward, text);
  if (r < 0 && forward && s > 0) r = ScanRows(0, s - 1, true, text);
  if (r < 0 && !forward && s < last) r = ScanRows(last, s + 1, false, text);
  if (r < 0) return false;
  FocusRowLocked(r);
  FActive = true;
  FText = text;
  FController->Changed(dcmSearch);
  return true;
}

bool TkvDataControllerSearch::SearchNext(bool forward) {
  if (!FActive || FText.empty() || !FField || FController->RowCount() == 0) return false;
  const int focused = FController->FocusedRowIndex();
  if (focused < 0) return false;
  const int start = focused + (forward ? 1 : -1);
  if (start < 0 || start >= FController->RowCount()) return false;
  const int r = ScanRows(start, -1, forward, FText);
  if (r < 0) return false;
  FocusRowLocked(r);
  return true;
}
