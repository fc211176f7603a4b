// The data-aware grid's column model: TkwColumnTitle, TkwColumn and the collection
// TkwDBGridColumns. Window-free: everything that concerns painting or windows is asked of
// the grid through IkwColumnsGrid (ukvDbGridsHost.h).
//
// Assigned values: every appearance property has a default from the grid or the field
// until it is set; a set value is remembered in AssignedValues, streamed only then, and
// dropped by RestoreDefaults. A column made by Add is customised (Stored) and keeps its
// settings; a column of the grid's default layout writes some settings through to its
// dataset field instead.
//
// ColumnOptions is the one store of Fixed, ReadOnly (the column's own value), Expanded,
// Visible and TotalColumn.
//
// Multi-level columns: a column may have a parent column; its parent keeps it in its
// child list (not owned). The parent chain never has a cycle: a parent that would make
// one is refused before anything changes. Visibility asks parents and children; a column
// whose visibility is being worked out counts as visible to the columns it asks, so the
// question always ends.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>
#include "VCLSource/source/PosGrid/ukvDbEditerLink.h"
#include "VCLSource/source/PosGrid/ukvDbGridsHelper.h"
#include "VCLSource/source/PosGrid/ukvDbGridsHost.h"
#include "VCLSource/source/PosGrid/ukvDbHelperController.h"
#include "VCLSource/source/PosGrid/ukvExpressions.h"
#include "rtl/Collection.h"
#include "rtl/StringList.h"

class TDataSet;
class TDataSource;
class TkwDBGridColumns;

enum TkwColumnOption : uint8_t {
  gcoShowSortIcon, gcoSortable, gcoFixed, gcoReadOnly, gcoCustomText, gcoExpanded, gcoVisible,
  gcoConfigNoVisible, gcoTotalColumn, gcoAlwaysShowEditor, gcoHideContent, gcoCustomSort
};
using TkwColumnOptions = uint16_t;  // bit i for option i
constexpr TkwColumnOptions ColumnOption(TkwColumnOption o) { return static_cast<TkwColumnOptions>(1u << o); }

enum TkwColumnButtonStyle : uint8_t { gcbsNone, gcbsEllipsis, gcbsLookupList, gcbsCheckBox };

// Bits of AssignedValues.
enum TkwColumnValue : uint8_t {
  cvColor = 0, cvWidth = 1, cvFont = 2, cvAlignment = 3, cvReadOnly = 4, cvTitleColor = 5, cvTitleCaption = 6,
  cvTitleAlignment = 7, cvTitleFont = 8, cvImeMode = 9, cvImeName = 10, cvVisible = 12, cvExpanded = 13
};

// The refusal of a parent that would make a cycle.
inline constexpr const char* kSelfAsParent = "不能指定自己的子列为自己的父列！";

class TkwColumnTitle : public TPersistent, public IkwColumnTitle {
 public:
  explicit TkwColumnTitle(TkwColumn* column);

  TAlignment Alignment() const;
  void SetAlignment(TAlignment v);
  AnsiString Caption() const;
  virtual void SetCaption(const AnsiString& v);
  TColor Color() const;
  void SetColor(TColor v);
  TkwGridFont* Font() { return &FFont; }
  void SetFont(TkwGridFont* v) { FFont.Assign(v); }
  TkwColumn* Column() const { return FColumn; }

  TAlignment DefaultAlignment() const { return taLeftJustify; }
  AnsiString DefaultCaption() const;
  TColor DefaultColor() const;
  const TkwGridFont& DefaultFont() const;
  bool IsAlignmentStored() const;
  bool IsCaptionStored() const;
  bool IsColorStored() const;
  bool IsFontStored() const;

  virtual void RestoreDefaults();
  void Assign(TPersistent* Source) override;
  void DefinePublished(TPublishedProperties& P) override;
  // Copies the default font unless the title font is assigned.
  void RefreshDefaultFont();

 private:
  void FontChanged();
  TAlignment FAlignment = taLeftJustify;
  AnsiString FCaption;
  TColor FColor = kwcolor::BtnFace;
  TkwColumn* FColumn;
  TkwGridFont FFont;
  bool FRefreshingFont = false;
};

class TkwColumn : public TkwInterfaceCollectionItem, public IkwColumn {
 public:
  explicit TkwColumn(TCollection* collection);
  ~TkwColumn() override;

  // --- published properties -------------------------------------------------------------------
  TAlignment Alignment() const;
  virtual void SetAlignment(TAlignment v);
  TkwColumnButtonStyle ButtonStyle() const { return FButtonStyle; }
  void SetButtonStyle(TkwColumnButtonStyle v);
  TColor Color() const;
  void SetColor(TColor v);
  TkwColumnOptions ColumnOptions() const { return FColumnOptions; }
  void SetColumnOptions(TkwColumnOptions v);
  const AnsiString& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const AnsiString& v);
  int DropDownRows() const { return FDropDownRows; }
  void SetDropDownRows(int v) { FDropDownRows = v; }
  bool Expanded() const { return Has(gcoExpanded); }
  void SetExpanded(bool v);
  const AnsiString& FieldName() const { return FFieldName; }
  void SetFieldName(const AnsiString& v);
  bool Fixed() const { return Has(gcoFixed); }
  void SetFixed(bool v);
  TkwGridFont* Font() { return &FFont; }
  void SetFont(TkwGridFont* v) { FFont.Assign(v); }
  const AnsiString& HideContentStr() const { return FHideContentStr; }
  void SetHideContentStr(const AnsiString& v);
  TImeMode ImeMode() const;
  virtual void SetImeMode(TImeMode v);
  AnsiString ImeName() const;
  virtual void SetImeName(const AnsiString& v);
  const AnsiString& Name() const { return FName; }
  // A rename (of Name, or of FieldName below) after which the formulas' texts, read by
  // the columns' names, would come back to a formula's own column is refused
  // (EkvFormulaCycle), the column left as it was.
  void SetName(const AnsiString& v);
  TStrings* PickList();  // made on first read
  void SetPickList(TStrings* v);
  bool HasPickList() const { return FPickList != nullptr; }
  // The check-box editors of a gcbsCheckBox column are window controls: the grid makes
  // them and hands them to the column, which owns them from then on.
  TObject* CheckBoxEditors() const { return FCheckBoxEditors.get(); }
  void SetCheckBoxEditors(std::unique_ptr<TObject> v) { FCheckBoxEditors = std::move(v); }
  // The popup menu is the window side's; the column only remembers it.
  TObject* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TObject* v) { FPopupMenu = v; }
  bool ReadOnly() const;
  virtual void SetReadOnly(bool v);
  TkwColumnTitle* Title() { return FTitle.get(); }
  void SetTitle(TkwColumnTitle* v) { FTitle->Assign(v); }
  bool TotalColumn() const { return Has(gcoTotalColumn); }
  void SetTotalColumn(bool v);
  // A column holding skNone switches to skSum when read.
  TkvSummaryKind TotalKind();
  void SetTotalKind(TkvSummaryKind v);
  // The total of TotalKind of a total column, in the column's DisplayFormat whatever
  // the order DisplayFormat, TotalColumn and TotalKind were set (or streamed) in; none
  // for another column.
  TkvSummary* Total();
  const AnsiString& ValueExpression() const { return FValueExpression; }
  // A formula that does not compile, or that comes back to this column (EkvFormulaCycle),
  // raises; the column keeps the text without a compiled formula.
  void SetValueExpression(const AnsiString& v);
  // The field items the compiled formula is bound to, each time it reads one.
  const std::vector<TkvDbField*>& ValueReads() const { return FValueReads; }
  // The formula's value for the record, evaluated through the data controller (raises
  // the formula's error, a cycle met included).
  Variant FormulaValue(int recordIndex);
  bool Visible() const { return GetVisible(); }
  void SetVisible(bool v);
  int Width() const;  // -1 when the column is not shown
  virtual void SetWidth(int v);
  TNotifyEvent OnEditButtonClick;
  TNotifyEvent OnPressReturnKeyEvent;

  // --- defaults and streaming ------------------------------------------------------------------
  uint16_t AssignedValues() const { return FAssignedValues; }
  bool IsAssigned(TkwColumnValue v) const { return (FAssignedValues & (1u << v)) != 0; }
  TAlignment DefaultAlignment() const;
  TColor DefaultColor() const;
  const TkwGridFont& DefaultFont() const;
  TImeMode DefaultImeMode() const;
  AnsiString DefaultImeName() const;
  bool DefaultReadOnly() const;
  int DefaultWidth() const;
  int StoredWidth() const { return FWidth; }
  void DefinePublished(TPublishedProperties& P) override;
  // The parent column is streamed as the defined property "ParentIndex", its index in the
  // collection; a column read with one gets its parent when the whole collection is in.
  void DefineProperties(TFiler& Filer) override;

  // --- the column ---------------------------------------------------------------------------
  virtual bool LookupLocate(const Variant& value);
  virtual bool AlwaysShowEditorColumn() const;
  virtual bool CanModify();
  virtual std::unique_ptr<TkwColumnTitle> CreateTitle();
  virtual int GetFieldSize();
  virtual AnsiString ParentCaption() const;
  virtual bool GetVisible() const;
  virtual bool Editable() const;
  virtual void UpdateDataField();
  virtual void SetField(TField* v);
  virtual void RestoreDefaults();
  void Assign(TPersistent* Source) override;
  AnsiString DisplayName() const override;
  void SetIndex(int value) override;

  TField* Field();  // found by FieldName on first use
  TField* BoundField() const { return FField; }
  IkwColumnsGrid* Grid() const;
  TkwDBGridColumns* Columns() const;
  bool Stored() const { return FStored; }
  void SetStored(bool v) { FStored = v; }
  bool FieldNameSet() const { return FFieldNameSet; }
  int Level() const;
  TkwColumn* Parent() const { return FParent; }
  // Raises Exception kSelfAsParent, changing nothing, for itself or a descendant.
  void SetParent(TkwColumn* v);
  int ChildCount() const { return static_cast<int>(FChildren.size()); }
  TkwColumn* Children(int index) const { return FChildren.at(static_cast<size_t>(index)); }
  // Children in display order: visible ones first, then by position (sorted once after
  // the grid's layout pass cleared the mark).
  const std::vector<TkwColumn*>& SortedChildren();
  void ClearChildrenSorted() { FChildrenSorted = false; }
  void EditButtonClick();
  void PressReturnKey();
  bool Expandable();
  bool Shown() const;
  bool Has(TkwColumnOption o) const { return (FColumnOptions & ColumnOption(o)) != 0; }
  // Something that forms the column's cell texts changed (its format, hidden content,
  // its formula, its lookup or the lookup's data): the texts its field item keeps are
  // formed again when next read, and the grid repaints.
  void DropTexts();

  // --- values, footers, lookups ----------------------------------------------------------------
  // The text shown for the record's value; defaultText is the stored display text. A value
  // formula that cannot be worked out for the record gives an empty text.
  AnsiString GetDisplayText(const AnsiString& defaultText, int recordIndex);
  // The text of the column's cell at the record (what the grid paints): the field
  // item's display text, through the column's hooks once. A stored text had them when it
  // was read (and keeps their result until the texts are read again); any other text
  // gets them here. Empty without a field item.
  AnsiString CellDisplayText(int recordIndex);
  const AnsiString& FooterText() const { return FFooterText; }
  void SetFooterText(const AnsiString& v) { FFooterText = v; }
  // A FooterText "$(formula)" of more than 3 bytes is compiled; other texts stay plain.
  void CompileFooter();
  bool HasFooterExpression() const { return FFooterExpression != nullptr; }
  // The footer's value; errors of the total or the formula pass to the caller.
  Variant FooterValue();
  // The footer's text; never raises for a total or a formula that fails (empty text).
  AnsiString FooterDisplayText();
  bool IsLookupColumn() const;
  // The lookup source is the data source of the column's lookup link (made on first use);
  // the grid's component hears when the source is freed. The link's notices repaint the
  // grid (not while the column locates a key itself) and find the key and list fields
  // again.
  TDataSource* LookupSource() const;
  void SetLookupSource(TDataSource* v);
  const AnsiString& KeyField() const { return FKeyField; }
  void SetKeyField(const AnsiString& v);
  const AnsiString& ListField() const { return FListField; }
  void SetListField(const AnsiString& v);
  // The lookup dataset's fields named KeyField and ListField while the link is active.
  TField* LookupKeyField() const { return FLookupKeyField; }
  TField* LookupListField() const { return FLookupListField; }

  // --- IkwColumn ---------------------------------------------------------------------------------
  int CompareBlankRows(int record1, int record2, int direction) override;
  IkwColumnTitle* GetTitle() override { return FTitle.get(); }
  AnsiString GetDisplayText(int recordIndex, const AnsiString& storedText) override {
    return GetDisplayText(storedText, recordIndex);
  }
  bool NeedCustomSort() override;
  IkwField* GetField() override;
  TkvDbField* DbField() override { return FDbField; }
  bool NeedCustomDisplayText() override;
  bool HasValueExpression() override { return FValueTree != nullptr; }
  Variant EvaluateValueExpression(int recordIndex) override;
  AnsiString NameInMessages() override { return FName.empty() ? FFieldName : FName; }
  bool UseCustomDisplayText() override;

 private:
  friend class TkwColumnTitle;
  void SetOption(TkwColumnOption o, bool on);
  void Assigned(TkwColumnValue v) { FAssignedValues = static_cast<uint16_t>(FAssignedValues | (1u << v)); }
  void Unassigned(TkwColumnValue v) { FAssignedValues = static_cast<uint16_t>(FAssignedValues & ~(1u << v)); }
  void FontChanged();
  void RefreshDefaultFont();
  bool LinkActive() const;
  TDataSet* GridDataSet() const;
  void Relayout() { Changed(true); }
  void ColumnChanged() { Changed(false); }
  TkvExpressionPtr CompileValueExpression(const AnsiString& text, std::vector<TkvDbField*>& reads);
  // Raises EkvFormulaCycle when the rename would close a cycle of the formulas' names.
  void CheckRename(const AnsiString& newName, bool fieldName);
  TkvExpressionPtr CompileFooterExpression(const AnsiString& text);
  TkwLookupSourceLink& LookupLink();
  void LookupFieldsChanged();

  TAlignment FAlignment = taLeftJustify;
  uint16_t FAssignedValues = 0;
  TkwColumnButtonStyle FButtonStyle = gcbsNone;
  std::unique_ptr<TObject> FCheckBoxEditors;
  std::vector<TkwColumn*> FChildren;
  bool FChildrenSorted = false;
  TColor FColor = kwcolor::Window;
  bool FFieldNameSet = false;
  TkwColumnOptions FColumnOptions = ColumnOption(gcoVisible);
  AnsiString FDisplayFormat;
  int FDropDownRows = 7;
  TkwField FFieldIntf;
  AnsiString FFieldName;
  TkwGridFont FFont;
  bool FRefreshingFont = false;
  TkvExpressionPtr FFooterExpression;
  AnsiString FFooterText;
  AnsiString FHideContentStr = "***";
  TImeMode FImeMode = imDontCare;
  AnsiString FImeName;
  AnsiString FKeyField, FListField;
  std::unique_ptr<TkwLookupSourceLink> FLookupLink;
  TField* FLookupKeyField = nullptr;
  TField* FLookupListField = nullptr;
  bool FInLookupLocate = false;
  TkvDbField* FDbField = nullptr;
  AnsiString FName;
  TkwColumn* FParent = nullptr;
  std::unique_ptr<TStringList> FPickList;
  TObject* FPopupMenu = nullptr;
  bool FStored = true;
  std::unique_ptr<TkwColumnTitle> FTitle;
  TkvSummaryKind FTotalKind = skNone;
  AnsiString FValueExpression;
  TkvExpressionPtr FValueTree;
  std::vector<TkvDbField*> FValueReads;
  int FWidth = 0;
  TField* FField = nullptr;
  mutable bool FVisibilityMark = false;  // its visibility is being worked out
  int FStreamedParent = -1;  // the parent's index read from a stream, until it is set
  friend class TkwDBGridColumns;
};

class TkwDBGridColumns : public TCollection {
 public:
  enum TState { csDefault = 0, csCustomized = 1 };

  TkwDBGridColumns(IkwColumnsGrid* grid, TCollectionItemClass columnClass);
  ~TkwDBGridColumns() override;

  TkwColumn* Add();          // customised
  TkwColumn* AddDefault();   // of the grid's default layout
  TkwColumn* Items(int index) const { return ItemsAs<TkwColumn>(index); }
  IkwColumnsGrid* Grid() const { return FGrid; }
  TState State() const;
  void SetState(TState v);
  // One customised column per dataset field, in field order (cleared without a dataset).
  void RebuildColumns();
  void CompileFooters();
  // DropTexts of every column (a formula reads other columns' values).
  void DropTexts();
  // Every column whose font is not its own takes the grid's font again (no notice: the
  // grid lays itself out once afterwards).
  void RefreshDefaultFonts();
  // The first column whose FieldName (Name) equals name, ASCII case-insensitively.
  TkwColumn* FindColumnByFieldName(std::string_view name) const;
  TkwColumn* FindColumnByName(std::string_view name) const;
  // Columns bound to other fields since the data controller loaded: its records are
  // read again, in one reload for all of them (nothing when none was rebound).
  void ReadReboundFields();
  // A dataset field is being destroyed: every column bound to it (or reading it from
  // its lookup dataset) lets go of it and keeps its FieldName, so it binds again by
  // name on next use. True when any column was bound to it.
  bool FieldRemoved(const TComponent* field);
  bool FieldBinding() const { return FFieldBinding; }
  void BeginFieldBinding() { FFieldBinding = true; }
  void EndFieldBinding() { FFieldBinding = false; }

 protected:
  void Update(TCollectionItem* item) override;

 private:
  // Gives the columns read with a parent index their parents, in collection order, in one
  // update. A parent index beyond the collection raises EReadError; a parent that would
  // make a cycle raises Exception kSelfAsParent. True when it set any (its own update then
  // announced the change).
  bool SetStreamedParents();

  IkwColumnsGrid* FGrid;
  bool FFieldBinding = false;
  bool FFieldsRebound = false;  // a column's field item must read its field again
  friend class TkwColumn;
};
