// The dataset binding of the labelled combo box: its own copy of a client dataset's
// records, the item texts taken from one column, the key of the chosen item from
// another, and the prefix filter that Ctrl+Enter applies to the typed text.
//
// Invariant while loaded: item i is the ShowField text of record i + 1 of the own
// dataset in its current (possibly filtered) order, so ItemIndex = RecNo - 1. The
// window class (basiccom.h) copies ItemTexts() into its list after every change here.
//
// Mended against the old behaviour, on purpose:
//   - the typed text goes into the filter as a quoted literal (a quote is doubled), so a
//     "'" can neither break the filter nor turn into filter logic;
//   - the prefix is compared without regard to case, so lower-case names are found too,
//     and upper-casing leaves double-byte characters alone (AnsiUpperCase);
//   - the key of an item index past the records is "0", like no selection.
#pragma once
#include <memory>
#include <vector>

#include "db/ClientDataSet.h"
#include "rtl/AnsiString.h"

class TComboDataBinding {
 public:
  TComboDataBinding();
  ~TComboDataBinding();
  TComboDataBinding(const TComboDataBinding&) = delete;
  TComboDataBinding& operator=(const TComboDataBinding&) = delete;

  // Names of the search, display and key columns.
  const AnsiString& FindField() const { return FFindField; }
  void SetFindField(const AnsiString& v) { FFindField = v; }
  const AnsiString& ShowField() const { return FShowField; }
  void SetShowField(const AnsiString& v) { FShowField = v; }
  const AnsiString& KeyField() const { return FKeyField; }
  void SetKeyField(const AnsiString& v) { FKeyField = v; }

  // The own dataset (inactive until a load).
  TClientDataSet* DataSet() const { return FData.get(); }
  bool Active() const { return FData->Active(); }

  // Takes the records of an active dataset when it has all three columns (names compared
  // without regard to ASCII case); the source is not changed. Passing the own dataset
  // only re-reads the items. False (nothing changed) otherwise.
  bool Load(TClientDataSet* source);
  // The ShowField texts of the own dataset's records in their current order; empty
  // while inactive.
  std::vector<AnsiString> ItemTexts();

  // The key of the item at itemIndex: the record's KeyField text; "0" while inactive,
  // without records, for -1 or for an index past the records.
  AnsiString KeyOfItem(int itemIndex);
  // The item of the first record whose KeyField text equals key exactly, or -1. While
  // inactive always -1. A missing key column raises the dataset's field-not-found error.
  int ItemOfKey(const AnsiString& key);

  // Ctrl+Enter with the combo box's text, its ItemIndex and the text of the selected
  // item. Returns true when the items changed (ItemTexts() to be reloaded, nothing
  // selected). Remembers the selected item's text as the last chosen one afterwards.
  bool CtrlEnter(const AnsiString& text, int itemIndex, const AnsiString& selectedText);
  // Delete released with the combo box's text: true when the filter was removed (items
  // to be reloaded, the list to be closed).
  bool DeleteKey(const AnsiString& text);

  // The filter Ctrl+Enter applies for a typed text (already trimmed).
  AnsiString PrefixFilter(const AnsiString& typed) const;
  const AnsiString& LastChosen() const { return FLastChosen; }

 private:
  std::unique_ptr<TClientDataSet> FData;
  AnsiString FFindField, FShowField, FKeyField;
  AnsiString FLastChosen;
};
