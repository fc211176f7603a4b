// The basic-data selection dialog apart from its window: the chosen row (TBaseRecord),
// the kinds of basic data, the option bits, the query of the candidates and its dataset
// filter, the grid's columns, the marks of a multiple choice, and confirming.
//
// The dialog's form (uSelectBasic) shows the candidates in the data-aware grid and asks
// these rules for everything else; the stock-take screens reach it through ISelectBasic.
//
// Marks are kept by the identity of the record (goods id, colour id and size id), in
// marking order, never by row position: sorting or scrolling the grid cannot change what
// is chosen, and a new query clears them, so a mark never stands for a row the user did
// not mark.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "rtl/AnsiString.h"
#include "rtl/Variant.h"

class TDataSet;
class TClientDataSet;

// One chosen row. (The dataset field "typeid" is TypeId here: typeid is a word of the
// language.)
struct TBaseRecord {
  AnsiString TypeId;
  AnsiString UserCode;
  AnsiString FullName;
  int32_t Sonnum = 0;
  int32_t stop = 0;      // goods only, when stopped goods are offered
  AnsiString colorid;    // goods with colour and size only, likewise the next three
  AnsiString ColorName;
  AnsiString sizeid;
  AnsiString SizeName;
  AnsiString Etypeid;    // point-of-sale terminals only
};

// Option bits of SelectBasic.
enum : uint8_t { sbMultiSelect = 1, sbColorSize = 2, sbWithStopped = 4 };
using TSelectBasicOptions = uint8_t;

struct TBasicKind {
  const char* Kind;        // the argument Kind, compared exactly
  int Number;              // "@BaseType"
  const char* Caption;     // the form's caption
  const char* NameCaption; // the caption of the name column
};
// The kind named exactly Kind; none for an unknown one.
const TBasicKind* FindBasicKind(std::string_view Kind);

struct TSelectBasicArgs {
  AnsiString Kind;
  AnsiString SearchText;
  TSelectBasicOptions Options = 0;
  AnsiString Filter;
  int LockSearch = 0;  // 1: the search edit and button are disabled
  bool BarcodeMode = false;
};

// The selection dialog as its callers see it: true when the user confirmed; the chosen
// rows are appended to ResultList.
class ISelectBasic {
 public:
  virtual ~ISelectBasic() = default;
  virtual bool SelectBasic(const TSelectBasicArgs& Args, std::vector<TBaseRecord>& ResultList) = 0;
};

// The search label's texts: at opening, and after F5.
inline constexpr const char* kSearchBarcodeLabel = "  请输入商品的条码(F5)：";
inline constexpr const char* kSearchCodeNameLabel = " 输入商品货号或名称(F5)：";
inline constexpr const char* kSearchCodeNameLabelF5 = "输入商品货号或名称(F5)：";
// The search text that is not given.
inline constexpr const char* kNotGiven = "▲";
// The brush colour of marked rows.
constexpr int32_t kMarkedRowColor = 8749626;

// One column of the dialog's grid.
struct TBasicColumn {
  AnsiString FieldName;
  AnsiString Caption;
  bool Visible;
};

// The marks of a multiple choice, in marking order.
class TBasicMarks {
 public:
  // Marks the record, or unmarks it when it was marked; true when it is marked now.
  bool Toggle(const TBaseRecord& Record);
  bool IsMarked(const AnsiString& TypeId, const AnsiString& ColorId, const AnsiString& SizeId) const;
  bool IsMarked(const TBaseRecord& Record) const { return IsMarked(Record.TypeId, Record.colorid, Record.sizeid); }
  void Clear() { FRecords.clear(); }
  int Count() const { return static_cast<int>(FRecords.size()); }
  const std::vector<TBaseRecord>& Records() const { return FRecords; }

 private:
  std::vector<TBaseRecord> FRecords;
};

class TSelectBasicRules {
 public:
  explicit TSelectBasicRules(const TSelectBasicArgs& Args);

  // --- kind and options ----------------------------------------------------------------------
  int KindNumber() const { return FKind ? FKind->Number : 0; }
  AnsiString Caption() const { return FKind ? FKind->Caption : ""; }
  bool MultiSelect() const { return (FArgs.Options & sbMultiSelect) != 0; }
  // Goods in colours and sizes.
  bool ColorSizeGoods() const { return KindNumber() == 1 && (FArgs.Options & sbColorSize) != 0; }
  bool SearchLocked() const { return FArgs.LockSearch == 1; }

  // --- search --------------------------------------------------------------------------------
  // 1 code or name, 2 barcode.
  int SearchMode() const { return FSearchMode; }
  const AnsiString& SearchLabel() const { return FSearchLabel; }
  // The label is shown only for goods in colours and sizes.
  bool SearchLabelShown() const { return ColorSizeGoods(); }
  // F5: switches the search mode of goods in colours and sizes; false for other kinds.
  bool SwitchSearchMode();

  // --- query ----------------------------------------------------------------------------------
  // The seven parameters of "PosGetBasicData" for the search text, in order.
  std::vector<AnsiString> ParamNames() const;
  std::vector<Variant> ParamValues(const AnsiString& SearchText) const;
  // The dataset filter, and whether the dataset is filtered at all (not for employees,
  // whose filter goes to the server instead).
  AnsiString DataSetFilter() const;
  bool FiltersDataSet() const { return KindNumber() != 5; }
  // Opens the candidates into DataSet (through the data module) and clears the marks.
  void Query(TClientDataSet& DataSet, const AnsiString& SearchText);

  // --- grid ------------------------------------------------------------------------------------
  // AllowColorSize: the system value "AllowColorSize" is not "0".
  std::vector<TBasicColumn> Columns(bool AllowColorSize) const;

  // --- marking and confirming -------------------------------------------------------------------
  // The dataset's current row as a chosen record.
  TBaseRecord RecordOf(TDataSet& DataSet) const;
  TBasicMarks& Marks() { return FMarks; }
  // Space or a double-click on a data row: toggles the mark of the dataset's current
  // row; nothing without multi-select or without rows. True when something changed.
  bool ToggleMark(TDataSet& DataSet);
  // FocusedTypeId: the grid's "typeid" cell of the focused row, empty when no row is
  // focused. Nothing happens (false) when DataSet has no rows or FocusedTypeId is
  // empty; otherwise the chosen records are appended to ResultList: the marked ones in
  // marking order, or the current row alone.
  bool Confirm(TDataSet& DataSet, const AnsiString& FocusedTypeId, std::vector<TBaseRecord>& ResultList);

 private:
  TSelectBasicArgs FArgs;
  const TBasicKind* FKind;
  int FSearchMode;
  AnsiString FSearchLabel;
  TBasicMarks FMarks;
};
