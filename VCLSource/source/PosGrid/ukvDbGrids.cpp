// TkwCustomDBGrid: creation and destruction, the glyphs, options, the model's
// properties, and the column model's host.
#include "VCLSource/source/PosGrid/ukvDbGrids.h"

#include <algorithm>

#include "VCLSource/source/PosGrid/fukvGridCustomColumns.h"
#include "VCLSource/source/PosGrid/fukvGridFilter.h"
#include "VCLSource/source/PosGrid/fukvGridLocate.h"
#include "VCLSource/source/PosGrid/ukvDbConsts.h"
#include "VCLSource/source/PosGrid/ukvDbGridsColumnsHost.h"
#include "VCLSource/source/PosGrid/ukvDbGridsController.h"
#include "VCLSource/source/PosGrid/ukvDbGridsView.h"
#include "VCLSource/source/PosGrid/ukvDbHelperExpressions.h"
#include "VCLSource/source/PosGrid/ukvDbHelperGuards.h"
#include "VCLSource/source/PosGrid/ukvExpressionCalculator.h"
#include "db/DataSet.h"
#include "rtl/ComponentStreaming.h"
#include "ui/GdiScopes.h"
#include "ui/ImgList.h"
#include "ui/WinApi.h"

using namespace kw_dbgrid;

// ============================================================================ creation

TkwCustomDBGrid::TkwCustomDBGrid(TComponent* AOwner) : TkwCustomGrid(AOwner) {
  // The base grid's setters below call back into this class, which asks its columns.
  FHost = std::make_unique<TkwDbGridColumnsHost>(*this);
  FDataLink = CreateDataLink();
  FColumns = CreateColumns();
  FFilterDialog = std::make_unique<TfmGridFilter>(nullptr);
  FLocateDialog = std::make_unique<TfmGridLocate>(nullptr);
  FCustomColumnsDialog = std::make_unique<TfmGridCustomColumns>(nullptr);
  FSelectedRecs = std::make_unique<TkwSelectedRecs>(*this);
  FSelectedRows = std::make_unique<TkwSelectedRows>(*FSelectedRecs, *this);
  FHighlightColor = 255;
  FLocateFirst = true;
  LoadGlyphs();
  FTitleOffset = 1;
  FIndicatorOffset = 1;
  FDefaultDrawing = true;
  // The base grid paints nothing of its own: every cell is this grid's.
  TCustomGrid::SetDefaultDrawing(false);
  FOptions = DefaultOptions(PRIMARYLANGID(::GetUserDefaultLangID()));
  TCustomGrid::SetOptions(TGridOptions::FromBits(kDefaultBaseOptions |
                                                 (HasGridOption(FOptions, dgAlwaysShowEditor) ? uint32_t{kGoAlwaysShowEditor} : 0u)));
  SetScrollBars(ssVertical);
  SetRowCount(2);
  SetColCount(2);
  SetColor(clWindow);
  Font()->SetColor(clBlack);
  SetParentColor(false);
  SetFooterColor(FixedColor());
  // The columns carry the widths and the rows follow the data: streamed cell extents would
  // only stand in the way of reading "Columns" back (their count is the columns' own).
  SetSaveCellExtents(false);
  // A double-click reaches DblClick through MouseDown only (after the title sort had its
  // say), so OnDblClick fires once.
  SetControlStyle(ControlStyle() >> csDoubleClicks);
  HideEditor();
}

TkwCustomDBGrid::~TkwCustomDBGrid() {
  TComponent::Destroying();
  // The columns take their field items out of the data controller, which the grid's
  // components free after this body.
  FColumns.reset();
  if (TkwCustomDbGridView* v = dynamic_cast<TkwCustomDbGridView*>(GetGridView().get())) v->DetachController();
  if (FDataLink) FDataLink->SetDataSource(nullptr);
  FDataLink.reset();
  FExprCalculator.reset();
}

void TkwCustomDBGrid::LoadGlyphs() {
  FIndicatorImages = std::make_unique<TImageList>(nullptr);
  FSortImages = std::make_unique<TImageList>(nullptr);
  auto fill = [](TImageList& list, const char* const* names, int count, bool ownTransparent) {
    for (int i = 0; i < count; ++i) {
      TBitmap bmp;
      bmp.LoadFromResourceName(ui_win::ModuleInstance(), names[i]);
      if (i == 0) list.SetSize(bmp.Width(), bmp.Height());
      list.AddMasked(&bmp, ownTransparent ? bmp.TransparentColor() : static_cast<TColor>(0xFFFFFF));
    }
  };
  fill(*FIndicatorImages, kIndicatorGlyphs, 5, false);
  fill(*FSortImages, kSortGlyphs, 2, true);
}

std::unique_ptr<TkwDBGridColumns> TkwCustomDBGrid::CreateColumns() {
  return std::make_unique<TkwDBGridColumns>(FHost.get(), GetColumnClass());
}

std::unique_ptr<TkwGridDataLink> TkwCustomDBGrid::CreateDataLink() {
  return std::make_unique<TkwGridDataLink>(FHost.get());
}

void TkwCustomDBGrid::RecreateColumns() {
  FColumns.reset();
  FColumns = CreateColumns();
}

TCollectionItemClass TkwCustomDBGrid::GetColumnClass() { return CollectionItemClassOf<TkwColumn>(); }

TkwDataControllerClass TkwCustomDBGrid::GetDataControllerClass() {
  return [](TComponent* owner) -> TkvCustomDbDataController* { return new TkwDbGridController(owner); };
}

TkwGridViewClass TkwCustomDBGrid::GetGridViewClass() {
  return [](TkwCustomGrid* g) { return std::make_shared<TkwCustomDbGridView>(static_cast<TkwCustomDBGrid*>(g)); };
}

TkwCustomDbGridView& TkwCustomDBGrid::DbView() { return static_cast<TkwCustomDbGridView&>(*GetGridView()); }

TkvCustomDbDataController* TkwCustomDBGrid::DataController() {
  if (Destroying() && !FColumns) return nullptr;
  return DbView().DataController();
}

TkwDbGridController* TkwCustomDBGrid::GridController() {
  return dynamic_cast<TkwDbGridController*>(DataController());
}

TkvExprCalculator& TkwCustomDBGrid::GetExprCalculator() {
  if (!FExprCalculator) FExprCalculator = std::make_unique<TkvExprCalculator>(DataController());
  return *FExprCalculator;
}

TkwGridFont* TkwCustomDBGrid::TitleFont() {
  if (!FTitleFont) {
    FTitleFont = std::make_unique<TkwGridFont>();
    FTitleFont->SetColor(0);  // black
    FTitleFont->OnChange = [this] { TitleFontChanged(); };
  }
  return FTitleFont.get();
}

// ============================================================================ options

void TkwCustomDBGrid::SetOptions(TkwDBGridOptions v) {
  TkvCustomDbDataController* c = DataController();
  const TOptionChange ch =
      ChangeOptions(FOptions, v, TCustomGrid::Options().Bits(), c ? c->Options() : 0, FRowColorsAssigned);
  if (ch.Options == FOptions) return;
  const bool footerChanged = HasGridOption(FOptions ^ ch.Options, dgFooter);
  FOptions = ch.Options;
  TCustomGrid::SetOptions(TGridOptions::FromBits(ch.BaseOptions));
  // The footer band is the option's: a grid with dgFooter shows it.
  if (footerChanged) SetFooter(HasGridOption(FOptions, dgFooter));
  if (c) c->SetOptions(ch.ControllerOptions);
  if (TkwDbGridController* gc = GridController()) gc->SetBlankRowsCompared(HasGridOption(FOptions, dgDiscompareBlankRow));
  if (ch.ClearSelection) {
    FSelectedRecs->Clear();
    FSelecting = false;
  }
  if (ch.SetDefaultRowColors) SetRowColors(kRowSelectOddColor, kRowSelectEvenColor);
  if (ch.LayoutChanged) LayoutChanged();
  if (HandleAllocated()) Invalidate();
}

void TkwCustomDBGrid::SetReadOnly(bool v) {
  FReadOnly = v;
  SetOptions(OptionsForReadOnly(FOptions, v));
}

void TkwCustomDBGrid::SetMinRowCount(int v) {
  if (v == FMinRowCount) return;
  FMinRowCount = v;
  LayoutChanged();
}

void TkwCustomDBGrid::SetRowColors(TColor odd, TColor even) {
  FOddRowColor = odd;
  FEvenRowColor = even;
  FRowColorsAssigned = true;
  if (HandleAllocated()) Invalidate();
}

// ============================================================================ model

void TkwCustomDBGrid::SetColumns(TkwDBGridColumns* v) { FColumns->Assign(v); }

void TkwCustomDBGrid::DefineProperties(TFiler& Filer) {
  TkwCustomGrid::DefineProperties(Filer);
  Filer.DefineProperty(
      "Columns",
      [this](TReader& r) {
        // Anything but a collection raises the reader's invalid-value error and leaves
        // the columns as they were: ReadListBegin refuses every other kind, and a list
        // left unread fails the reader's check of what the callback read.
        if (r.NextValue() != vaCollection) return r.ReadListBegin();
        r.ReadValue();
        r.ReadCollection(*FColumns);
      },
      [this](TWriter& w) { w.WriteCollection(FColumns.get()); },
      FColumns->State() == TkwDBGridColumns::csCustomized);
}

TDataSource* TkwCustomDBGrid::DataSource() const { return FDataLink->DataSource(); }

void TkwCustomDBGrid::SetDataSource(TDataSource* v) {
  if (v == DataSource()) return;
  if (v && v->DataSet() && v->DataSet()->IsUnidirectional()) DatabaseError(kvLoadStr(SkvUnidirectionalDataSet));
  ClearSelection();
  FDataLink->SetDataSource(v);
  if (TkvCustomDbDataController* c = DataController()) c->SetDataSource(v);
  LinkActive(FDataLink->Active());
}

bool TkwCustomDBGrid::CanModifyData() {
  return !FReadOnly && FDataLink->Active() && !FDataLink->ReadOnly() && FDataLink->DataSet() &&
         FDataLink->DataSet()->CanModify();
}

bool TkwCustomDBGrid::DataControllerActive() {
  TkvCustomDbDataController* c = DataController();
  return c && c->Active();
}

bool TkwCustomDBGrid::CanEditCurrentColumn() {
  TkwColumn* c = SelectedColumn();
  return !FReadOnly && c && c->Editable();
}

int TkwCustomDBGrid::SelectedIndex() {
  if (!FColumns) return -1;
  const int i = RawToDataColumn(Col());
  return i >= 0 && i < FColumns->Count() ? i : -1;
}

TkwColumn* TkwCustomDBGrid::SelectedColumn() {
  const int i = SelectedIndex();
  return i < 0 ? nullptr : FColumns->Items(i);
}

TField* TkwCustomDBGrid::SelectedField() {
  TkwColumn* c = SelectedColumn();
  return c ? c->Field() : nullptr;
}

int TkwCustomDBGrid::FocusedRowIndex() {
  TkvCustomDbDataController* c = DataController();
  return c ? c->FocusedRowIndex() : -1;
}

TkwColumn* TkwCustomDBGrid::FindColumnByFieldName(const AnsiString& name) const {
  return FColumns->FindColumnByFieldName(name);
}

TkwColumn* TkwCustomDBGrid::FindColumnByName(const AnsiString& name) const { return FColumns->FindColumnByName(name); }

TField* TkwCustomDBGrid::GetColumnField(TkwColumn* Column) { return Column ? Column->Field() : nullptr; }

void TkwCustomDBGrid::DoColumnMoved(TkwColumn* FromColumn, TkwColumn* ToColumn) {
  FromColumn->SetIndex(ToColumn->Index());
  if (OnColumnMoved) OnColumnMoved(this, FromColumn, ToColumn);
}

void TkwCustomDBGrid::ColumnMoved(int FromIndex, int ToIndex) {
  const int from = RawToDataColumn(FromIndex), to = RawToDataColumn(ToIndex);
  if (from < 0 || to < 0 || from >= FColumns->Count() || to >= FColumns->Count()) return;
  // The base grid has moved its widths already; the columns follow in one layout.
  BeginLayout();
  struct End {
    TkwCustomDBGrid* g;
    ~End() { g->EndLayout(); }
  } end{this};
  DoColumnMoved(FColumns->Items(from), FColumns->Items(to));
}

void TkwCustomDBGrid::ColWidthsChanged() {
  TCustomGrid::ColWidthsChanged();
  if (FLayoutLock > 0) return;
  BeginLayout();
  struct End {
    TkwCustomDBGrid* g;
    ~End() { g->EndLayout(); }
  } end{this};
  for (int i = 0; i < FColumns->Count(); ++i) {
    const int w = ColWidths(DataToRawColumn(i));
    if (w >= 0 && i + FIndicatorOffset < ColCount()) FColumns->Items(i)->SetWidth(w);
  }
}

// Blank rows go after the others in either direction; two rows with values are left to
// the value comparison, two blank ones to the record order. The answer is a consistent
// three-way order whatever the pair's order, so the sort stays an order.
// Mended: the blank test was not the grid's own, so a descendant could not say which
// records are blank; each record of the pair is asked through IsBlankRecord.
int TkwCustomDBGrid::CompareBlankRows(int Record1, int Record2, int, TkwColumn*) {
  TkvCustomDbDataController* c = DataController();
  if (!HasGridOption(FOptions, dgDiscompareBlankRow) || !c || !FColumns) return 0x7FFFFFFF;
  return TkwBlankRecords::Order(IsBlankRecord(Record1), IsBlankRecord(Record2));
}

bool TkwCustomDBGrid::IsBlankRecord(int RecordIndex) {
  TkvCustomDbDataController* c = DataController();
  return c && FColumns && TkwBlankRecords(*c, *FColumns).IsBlankRecord(RecordIndex);
}

// ============================================================================ row highlight

void TkwCustomDBGrid::SetHighlightFormula(const AnsiString& v) {
  if (v == FHighlightFormula) return;
  FHighlightFormula = v;
  TkvCustomDbDataController* c = DataController();
  if (!c) return;
  TkvDbExpressions& list = c->Expressions();
  if (list.IndexOf(FHighlight) < 0) FHighlight = list.Add();
  FHighlight->SetText(v);
  TkvFinally repaint([this] {
    if (HandleAllocated()) Invalidate();
  });
  // A closed dataset: the controller compiles it when it binds the opened one's fields.
  TDataSet* ds = c->DataSet();
  if (ds && ds->Active()) FHighlight->Compile();
}

bool TkwCustomDBGrid::RowHighlighted(int DataRow) {
  TkvCustomDbDataController* c = DataController();
  if (DataRow < 0 || !c || !FDataLink->Active() || c->Expressions().IndexOf(FHighlight) < 0 ||
      !FHighlight->HasCompiled() || DataRow >= c->RowCount())
    return false;
  try {
    return FHighlight->IsTrueAt(c->GetRowRecordIndex(DataRow));
  } catch (const Exception&) {
    return false;  // a value the formula cannot take (a text where it wants a number)
  }
}

// ============================================================================ multi-selection

int TkwCustomDBGrid::CurrentRecordIndex() { return DbView().CurrentRecordIndex(); }

void TkwCustomDBGrid::InvalidateCurrentRow() {
  if (HandleAllocated()) InvalidateRow(Row());
}

void TkwCustomDBGrid::ClearSelection() {
  if (!HasGridOption(FOptions, dgMultiSelect)) return;
  FSelectedRecs->Clear();
  FSelecting = false;
  if (HandleAllocated()) Invalidate();
}

void TkwCustomDBGrid::SelectRow(int RowIndex, bool AddToSelection, bool MakeFocused) {
  TkvCustomDbDataController* c = DataController();
  // A row without a record (past the last) has nothing to focus or mark.
  if (!FDataLink->Active() || !c || RowIndex < 0 || RowIndex >= c->RowCount()) return;
  FSelectedRecs->SelectRow(RowIndex, AddToSelection, MakeFocused, HasGridOption(FOptions, dgMultiSelect));
  UpdateActive();
  if (HandleAllocated()) Invalidate();
}

Variant TkwCustomDBGrid::GetCellValue(TkwColumn* Column, int RowIndex) {
  TkwDbGridController* c = GridController();
  return c ? c->GetCellValue(Column, RowIndex) : Variant::Null();
}

Variant TkwCustomDBGrid::FocusedCellValue(TkwColumn* Column) {
  TkwDbGridController* c = GridController();
  return c ? c->FocusedCellValue(Column) : Variant::Null();
}

void TkwCustomDBGrid::DoGetDisplayText(TkwColumn* Column, AnsiString& Text, int RowIndex) {
  if (RowIndex >= 0 && OnGetDisplayText) OnGetDisplayText(this, Column, Text);
}

bool TkwCustomDBGrid::AlwaysShowEditor(int ACol) {
  if (TkwCustomGrid::AlwaysShowEditor(ACol)) return true;
  if (!FColumns || Destroying()) return false;
  const int i = RawToDataColumn(ACol);
  return i >= 0 && i < FColumns->Count() && FColumns->Items(i)->AlwaysShowEditorColumn();
}

bool TkwCustomDBGrid::CanEditShow() {
  if (FLayoutLock > 0) return false;
  TkwColumn* c = SelectedColumn();
  if (c && (c->Has(gcoHideContent) || c->ButtonStyle() == gcbsCheckBox)) return false;
  return TkwCustomGrid::CanEditShow();
}

void TkwCustomDBGrid::RecordChanged(TField* Field) {
  if (HandleAllocated()) Invalidate();
  // The editor shows the field's text again when it differs from the typed one.
  TField* current = SelectedField();
  if (InplaceEditor() && (!Field || Field == current) && current && current->Text() != FEditText) {
    InvalidateEditor();
    UpdateText();
  }
  if (!OnFieldColumnsChanged) return;
  TkwDbGridColumnList bound;
  if (Field)
    for (int i = 0; i < FColumns->Count(); ++i)
      if (FColumns->Items(i)->Field() == Field) bound.Add(FColumns->Items(i));
  OnFieldColumnsChanged(this, bound);
}

// ============================================================================ the column model's host

TkvCustomDbDataController* TkwDbGridColumnsHost::DataController() { return FGrid.DataController(); }
TComponent* TkwDbGridColumnsHost::GridComponent() { return &FGrid; }
void TkwDbGridColumnsHost::UpdateData() { FGrid.UpdateData(); }
TkwGridDataLink& TkwDbGridColumnsHost::DataLink() { return *FGrid.FDataLink; }
TkvExprCalculator& TkwDbGridColumnsHost::ExprCalculator() { return FGrid.GetExprCalculator(); }
bool TkwDbGridColumnsHost::IsLoading() { return FGrid.HasState(csLoading); }
bool TkwDbGridColumnsHost::InBeginUpdate() { return FGrid.FUpdateCount > 0; }
bool TkwDbGridColumnsHost::ReadOnly() { return FGrid.ReadOnly(); }
bool TkwDbGridColumnsHost::CanModifyData() { return FGrid.CanModifyData(); }
bool TkwDbGridColumnsHost::ShowsMultiLevelTitles() { return HasGridOption(FGrid.Options(), dgTitles); }
TColor TkwDbGridColumnsHost::Color() { return FGrid.Color(); }
TColor TkwDbGridColumnsHost::FixedColor() { return FGrid.FixedColor(); }
int TkwDbGridColumnsHost::DefaultColWidth() { return FGrid.DefaultColWidth(); }
const TkwGridFont* TkwDbGridColumnsHost::TitleFont() { return FGrid.TitleFont(); }
void TkwDbGridColumnsHost::BeginLayout() { FGrid.BeginLayout(); }
void TkwDbGridColumnsHost::EndLayout() { FGrid.EndLayout(); }
bool TkwDbGridColumnsHost::InLayout() { return FGrid.LayoutLock() > 0; }
// A grid being destroyed frees its columns: their notices then concern nothing shown.
// A change of the columns also renews the dialogs' column lists and the footers' formulas.
// Mended: a change of one column (its gcoAlwaysShowEditor turned on, say) left the
// editor hidden; one column's change shows it as a change of all of them does.
void TkwDbGridColumnsHost::ColumnChanged(TkwColumn*) {
  if (FGrid.Destroying()) return;
  FGrid.LayoutChanged();
  FGrid.PostDeferredUpdate(kw_dbgrid::duColumnLists | kw_dbgrid::duFooters);
  ShowEditorWhenAlwaysShown();
}
void TkwDbGridColumnsHost::ColumnsChanged() {
  if (FGrid.Destroying()) return;
  FGrid.LayoutChanged();
  FGrid.PostDeferredUpdate(kw_dbgrid::duColumnLists | kw_dbgrid::duFooters);
  ShowEditorWhenAlwaysShown();
}
// Editor mode is what CanEditShow asks for first, so it cannot stand in the test: a
// column that always shows its editor turns editor mode on, as the options do.
void TkwDbGridColumnsHost::ShowEditorWhenAlwaysShown() {
  if (FGrid.EditorMode() || (FGrid.HandleAllocated() && FGrid.AlwaysShowEditor(FGrid.Col()))) FGrid.ShowEditor();
}
TkwColumn* TkwDbGridColumnsHost::SelectedColumn() { return FGrid.SelectedColumn(); }
void TkwDbGridColumnsHost::InvalidateGrid() {
  if (FGrid.HandleAllocated()) FGrid.Invalidate();
}
void TkwDbGridColumnsHost::GetFooterDisplayText(TkwColumn* column, AnsiString& text) {
  if (FGrid.OnGetFooterDisplayText) FGrid.OnGetFooterDisplayText(&FGrid, column, text);
}
void TkwDbGridColumnsHost::NeedCustomDisplayText(TkwColumn* column, bool& need) {
  if (FGrid.OnNeedCustomDisplayTextEvent) FGrid.OnNeedCustomDisplayTextEvent(&FGrid, column, need);
}
void TkwDbGridColumnsHost::DoGetDisplayText(TkwColumn* column, AnsiString& text, int recordIndex) {
  FGrid.DoGetDisplayText(column, text, recordIndex);
}
int TkwDbGridColumnsHost::CompareBlankRows(TkwColumn* column, int record1, int record2, int direction) {
  return FGrid.CompareBlankRows(record1, record2, direction, column);
}
void TkwDbGridColumnsHost::RecordChanged(TField* field) { FGrid.RecordChanged(field); }

// Mended: these hooks were left to the interface's defaults, so a column's default font
// was always the plain font and never the grid's, a field's FocusControl, a dataset
// entering or leaving edit mode, a default column's new width and the expanding or
// collapsing of the selected column reached nothing, and the input-method settings of
// the grid were none.
const TkwGridFont* TkwDbGridColumnsHost::Font() { return &FGrid.ColumnsFont(); }
TImeMode TkwDbGridColumnsHost::ImeMode() { return FGrid.ImeMode(); }
AnsiString TkwDbGridColumnsHost::ImeName() { return FGrid.ImeName(); }

bool TkwDbGridColumnsHost::WriteWidthToField(TkwColumn* column, int width) {
  TField* field = column->BoundField();
  if (!field || !FGrid.HandleAllocated() || FGrid.Destroying()) return false;
  const TkwGridFont* f = column->Font();
  TFont font;
  font.SetName(f->Name());
  font.SetHeight(f->Height());
  font.SetStyle(TFontStyles::FromBits(f->Style()));
  font.SetCharset(f->Charset());
  TEXTMETRICW tm{};
  {
    const ui_win::WindowDC dc(FGrid.Handle());
    const ui_win::Selected selected(dc.dc(), font.Handle());
    if (!::GetTextMetricsW(dc.dc(), &tm)) return false;
  }
  if (tm.tmAveCharWidth <= 0) return false;
  const int ave = static_cast<int>(tm.tmAveCharWidth), overhang = static_cast<int>(tm.tmOverhang);
  field->SetDisplayWidth(std::max(0, (width + ave / 2 - overhang - 3) / ave));
  return false;
}

void TkwDbGridColumnsHost::MoveSelection(TkwColumn* from, int delta) {
  if (FGrid.Destroying() || !FGrid.FColumns || !from || from->Collection() != FGrid.FColumns.get()) return;
  FGrid.SelectColumn(FGrid.DataToRawColumn(from->Index()) + delta, delta);
}

bool TkwDbGridColumnsHost::FocusField(TField* field) {
  if (!field || FGrid.Destroying() || !FGrid.FColumns) return false;
  TkwDBGridColumns& columns = *FGrid.FColumns;
  for (int i = 0; i < columns.Count(); ++i) {
    TkwColumn* c = columns.Items(i);
    if (!c->Shown() || c->Field() != field) continue;
    FGrid.SelectColumn(FGrid.DataToRawColumn(i), 0);
    break;
  }
  return FGrid.SelectedField() == field && FGrid.AcquireFocus();
}

void TkwDbGridColumnsHost::ShowEditor() {
  if (!FGrid.Destroying()) FGrid.ShowEditor();
}

void TkwDbGridColumnsHost::EditingChanged() {
  if (FGrid.Destroying()) return;
  // Mended: an edit ended without the grid (the program cancelled the dataset) left the
  // typed text waiting in the editor; the next click wrote it into a record in browse
  // mode (an error box, the click lost). A text not written when the edit ends is
  // dropped, as Esc drops it, and the editor shows the field again.
  TkwGridDataLink& link = *FGrid.FDataLink;
  if (link.Active() && !link.Editing() && link.Modified() && !link.InUpdateData()) link.Reset();
  if (!FGrid.HandleAllocated() || !HasGridOption(FGrid.Options(), dgIndicator)) return;
  if (FGrid.IndicatorOffset() > 0 && FGrid.Row() >= FGrid.TitleOffset()) FGrid.InvalidateCell(0, FGrid.Row());
}
