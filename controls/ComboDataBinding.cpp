// Dataset binding and prefix filter of the labelled combo box.
#include "controls/ComboDataBinding.h"

#include <cctype>

namespace {

// A column name as the filter language reads it: as it is when it is a plain name,
// else in brackets.
AnsiString FilterFieldName(const AnsiString& name) {
  bool plain = !name.empty();
  for (unsigned char c : name)
    if (!(std::isalnum(c) || c == '_' || c >= 0x80)) plain = false;
  return plain ? name : "[" + name + "]";
}

// A text as a quoted literal of the filter language: every "'" doubled.
AnsiString FilterLiteral(const AnsiString& text) {
  return "'" + StringReplaceAll(text, "'", "''") + "'";
}

}  // namespace

TComboDataBinding::TComboDataBinding() : FData(std::make_unique<TClientDataSet>(nullptr)) {}

TComboDataBinding::~TComboDataBinding() { FData->Close(); }

bool TComboDataBinding::Load(TClientDataSet* source) {
  if (source == nullptr || !source->Active()) return false;
  bool show = false, find = false, key = false;
  for (TField* f : source->Fields()) {
    show = show || SameText(f->FieldName(), FShowField);
    find = find || SameText(f->FieldName(), FFindField);
    key = key || SameText(f->FieldName(), FKeyField);
  }
  if (!(show && find && key)) return false;
  if (source != FData.get()) FData->SetData(source->Data());
  return true;
}

std::vector<AnsiString> TComboDataBinding::ItemTexts() {
  std::vector<AnsiString> items;
  if (!FData->Active()) return items;
  const int n = FData->RecordCount();
  items.reserve(static_cast<size_t>(n));
  TField* show = FData->FieldByName(FShowField);
  for (int i = 1; i <= n; ++i) {
    FData->SetRecNo(i);
    items.push_back(show->AsString());
  }
  return items;
}

AnsiString TComboDataBinding::KeyOfItem(int itemIndex) {
  // An index past the records (items added by hand after loading) counts as no
  // selection rather than reading some other record.
  if (!FData->Active() || FData->RecordCount() == 0 || itemIndex < 0 ||
      itemIndex + 1 > FData->RecordCount())
    return "0";
  FData->SetRecNo(itemIndex + 1);
  return FData->FieldByName(FKeyField)->AsString();
}

int TComboDataBinding::ItemOfKey(const AnsiString& key) {
  if (!FData->Active()) return -1;
  TField* f = FData->FieldByName(FKeyField);
  for (FData->First(); !FData->Eof(); FData->Next())
    if (f->AsString() == key) return FData->RecNo() - 1;
  return -1;
}

AnsiString TComboDataBinding::PrefixFilter(const AnsiString& typed) const {
  const AnsiString u = AnsiUpperCase(typed);
  return "(" + FilterFieldName(FShowField) + "=" + FilterLiteral(u + "*") + " or " +
         FilterFieldName(FFindField) + "=" + FilterLiteral(u + "*") + ")";
}

bool TComboDataBinding::CtrlEnter(const AnsiString& text, int itemIndex,
                                  const AnsiString& selectedText) {
  bool reloaded = false;
  if (FData->Active()) {
    const AnsiString t = Trim(text);
    if (t.empty()) {
      if (FData->Filtered()) {
        FData->SetFiltered(false);
        reloaded = true;
      }
    } else if (itemIndex < 0 || (text != FLastChosen && text != selectedText)) {
      FData->SetFiltered(false);
      FData->SetFilter(PrefixFilter(t));
      FData->SetFilterOptions(foCaseInsensitive);
      FData->SetFiltered(true);
      reloaded = true;
    }
  }
  // After a reload nothing is selected any more.
  FLastChosen = (!reloaded && itemIndex >= 0) ? selectedText : AnsiString();
  return reloaded;
}

bool TComboDataBinding::DeleteKey(const AnsiString& text) {
  if (!FData->Active() || !Trim(text).empty() || !FData->Filtered()) return false;
  FData->SetFiltered(false);
  return true;
}
