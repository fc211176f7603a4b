// TkwCustomDBGrid's layout: the field map, columns and titles, the rows that follow the
// rows that fit, the vertical scroll bar, and the two deferred messages (layout,
// WM_USER + 100; update, WM_USER + 103).
#include <algorithm>

#include "VCLSource/source/PosGrid/ukvDbGrids.h"
#include "ui/GdiScopes.h"
#include "ui/ImgList.h"
#include "VCLSource/source/PosGrid/ukvDbGridsCheckBoxes.h"
#include "VCLSource/source/PosGrid/ukvDbGridsView.h"
#include "db/DataSet.h"

using namespace kw_dbgrid;

namespace {
// Takes a layout lock for a scope.
class TLayoutScope {
 public:
  explicit TLayoutScope(TkwCustomDBGrid& g) : FGrid(g) { g.BeginLayout(); }
  ~TLayoutScope() { FGrid.EndLayout(); }
  TLayoutScope(const TLayoutScope&) = delete;
  TLayoutScope& operator=(const TLayoutScope&) = delete;

 private:
  TkwCustomDBGrid& FGrid;
};
}  // namespace

// ============================================================================ locks

void TkwCustomDBGrid::BeginLayout() { ++FLayoutLock; }

void TkwCustomDBGrid::EndLayout() {
  if (FLayoutLock <= 0) return;
  if (--FLayoutLock == 0) RunLayout();
}

// The lock taken by BeginUpdate is the one EndUpdate releases: a layout lock held by
// someone else when the update began stays theirs.
void TkwCustomDBGrid::BeginUpdate() {
  if (FUpdateCount++ == 0 && FLayoutLock == 0) {
    BeginLayout();
    FUpdateTookLayout = true;
  }
}

void TkwCustomDBGrid::EndUpdate() {
  if (FUpdateCount <= 0) return;
  if (--FUpdateCount == 0 && FUpdateTookLayout) {
    FUpdateTookLayout = false;
    EndLayout();
  }
}

void TkwCustomDBGrid::LayoutChanged() {
  if (FLayoutLock > 0 || FUpdateCount > 0) return;
  BeginLayout();
  EndLayout();
}

void TkwCustomDBGrid::DeferLayout() {
  if (HandleAllocated()) {
    MSG msg;
    if (!::PeekMessageW(&msg, Handle(), WM_KW_DEFERLAYOUT, WM_KW_DEFERLAYOUT, PM_NOREMOVE | PM_NOYIELD))
      ::PostMessageW(Handle(), WM_KW_DEFERLAYOUT, 0, 0);
  } else {
    FLayoutPending = true;
  }
  if (FLayoutLock > 0) --FLayoutLock;
}

void TkwCustomDBGrid::DeferredLayoutMessage() {
  if (FLayoutLock == 0 && FUpdateCount == 0) {
    BeginLayout();
    EndLayout();
  } else {
    BeginLayout();
    DeferLayout();
  }
}

// ============================================================================ the layout pass

void TkwCustomDBGrid::DefineFieldMap() {
  if (FColumns->State() == TkwDBGridColumns::csCustomized) {
    FDataLink->SetSparseMap(true);
    for (int i = 0; i < FColumns->Count(); ++i) FDataLink->AddMapping(FColumns->Items(i)->FieldName());
    return;
  }
  FDataLink->SetSparseMap(false);
  if (TDataSet* ds = FDataLink->DataSet())
    for (TField* f : ds->Fields())
      if (f->Visible()) FDataLink->AddMapping(f->FullName());
}

// A default layout keeps a column for each mapped field (its settings with it), adds the
// missing ones in map order and frees the rest.
void TkwCustomDBGrid::RebuildColumnsFromFieldMap() {
  if (FColumns->State() == TkwDBGridColumns::csCustomized) return;
  if (!FDataLink->Active()) {
    FColumns->Clear();
    return;
  }
  const int n = FDataLink->FieldCount();
  for (int i = 0; i < n; ++i) {
    TField* f = FDataLink->Fields(i);
    const AnsiString name = f ? f->FullName() : AnsiString();
    TkwColumn* found = nullptr;
    for (int j = i; j < FColumns->Count() && !found; ++j)
      if (FColumns->Items(j)->FieldName() == name) found = FColumns->Items(j);
    if (!found) {
      found = FColumns->AddDefault();
      found->SetFieldName(name);
    }
    if (found->Index() != i) found->SetIndex(i);
  }
  while (FColumns->Count() > n) delete FColumns->Items(FColumns->Count() - 1);
}

void TkwCustomDBGrid::RunLayout() {
  if (HasState(csLoading) || Destroying()) return;
  if (HandleAllocated()) {
    MSG msg;
    ::PeekMessageW(&msg, Handle(), WM_KW_DEFERLAYOUT, WM_KW_DEFERLAYOUT, PM_REMOVE | PM_NOYIELD);
  }
  FLayoutPending = false;
  // Column changes made here fold into this pass.
  ++FLayoutLock;
  struct Unlock {
    int& lock;
    ~Unlock() { --lock; }
  } unlock{FLayoutLock};

  // Mended: the fixed counts set again below put the current column back on the first
  // one at every layout (a column expanded elsewhere, a width, a title changed); the
  // current column is kept wherever it is still shown.
  const int keptCol = Col();
  FIndicatorOffset = HasGridOption(FOptions, dgIndicator) ? 1 : 0;
  FDataLink->ClearMapping();
  if (FDataLink->Active()) DefineFieldMap();
  RebuildColumnsFromFieldMap();
  FShownColumns.clear();
  int level = -1;
  for (int i = 0; i < FColumns->Count(); ++i) {
    TkwColumn* c = FColumns->Items(i);
    // The bound field is found again by name (a default column keeps its name: it was
    // just matched to the map).
    TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    TField* f = ds && !c->FieldName().empty() ? ds->FindField(c->FieldName()) : nullptr;
    if (f || c->Stored()) c->SetField(f);
    c->ClearChildrenSorted();
    if (c->Shown()) {
      FShownColumns.push_back(c);
      level = std::max(level, c->Level());
    }
  }
  // The columns bound above, and those bound while the layout was locked, read their
  // values now, in one reload.
  FColumns->ReadReboundFields();
  const TColumnCounts counts = ColumnCounts(FColumns->Count(), FIndicatorOffset);
  SetFixedCols(0);
  SetColCount(counts.ColCount);
  SetFixedCols(counts.FixedCols);
  SetFixedDataCols(0);
  FTitleOffset = kw_dbgrid::TitleOffset(HasGridOption(FOptions, dgTitles), level);

  UpdateRowCount();
  UpdateScrollBars();
  SetColumnAttributes();
  if (keptCol != Col() && keptCol >= FixedCols() && keptCol < ColCount() && ColWidths(keptCol) >= 0)
    TkwCustomGrid::MoveCurrent(keptCol, Row(), true, false);
  // The current column is never one that is not shown (an expanded parent, a hidden
  // column): it moves to the first shown one.
  if (Col() >= FixedCols() && Col() < ColCount() && ColWidths(Col()) < 0)
    for (int c = FixedCols(); c < ColCount(); ++c)
      if (ColWidths(c) >= 0) {
        TkwCustomGrid::MoveCurrent(c, Row(), true, false);
        break;
      }
  UpdateActive();
  FollowCurrentColumn();
  if (HandleAllocated()) Invalidate();
}

void TkwCustomDBGrid::SetColumnAttributes() {
  const bool active = FDataLink->Active();
  for (int i = 0; i < FColumns->Count(); ++i) {
    TkwColumn* c = FColumns->Items(i);
    const int raw = DataToRawColumn(i);
    if (raw >= ColCount()) break;
    TField* f = c->Field();
    SetTabStops(raw, c->Shown() && !c->ReadOnly() && active && f && !f->Calculated() && !IsReadOnlyField(f));
    SetColWidths(raw, c->Width());
  }
  UpdateIndicatorWidth();
}

void TkwCustomDBGrid::UpdateIndicatorWidth() {
  if (!HasGridOption(FOptions, dgIndicator) || ColCount() <= 0) return;
  int width = kIndicatorWidth;
  const int rows = FDataLink->Active() ? DbView().RowCount() : 0;
  if (rows > 0 && HandleAllocated()) {
    // Digits are equally wide in the grid's fonts: the widest number is as wide as the
    // row count's count of zeros.
    const int digits = static_cast<int>(std::to_string(rows).size());
    const HFONT handle = Font()->Handle();
    if (digits != FIndicatorDigits || handle != FIndicatorFont) {
      const std::wstring zeros(static_cast<size_t>(digits), L'0');
      ui_win::WindowDC dc(Handle());
      ui_win::Selected font(dc.dc(), handle);
      SIZE size{0, 0};
      ::GetTextExtentPoint32W(dc.dc(), zeros.c_str(), digits, &size);
      FIndicatorNumberWidth = size.cx;
      FIndicatorDigits = digits;
      FIndicatorFont = handle;
    }
    width = IndicatorWidthFor(FIndicatorNumberWidth, FIndicatorImages->Width());
  }
  if (ColWidths(0) == width) return;
  // Only the indicator changes: no column takes its width, no layout runs for it.
  ++FLayoutLock;
  struct Release {
    int& lock;
    ~Release() { --lock; }
  } release{FLayoutLock};
  SetColWidths(0, width);
}

// ============================================================================ rows and scroll bar

void TkwCustomDBGrid::UpdateRowCount() {
  ++FRowCountNesting;
  struct Done {
    int& n;
    ~Done() { --n; }
  } done{FRowCountNesting};
  const int oldRows = RowCount();
  const int oldVisible = FLastVisibleRows;
  TkwCustomDbGridView& view = DbView();
  if (FDataLink->Active() && HandleAllocated() && Visible()) {
    SetRowCount(std::max(1000, FTitleOffset + 1));
    if (FixedRows() != FTitleOffset) SetFixedRows(FTitleOffset);
    const int room = TCustomGrid::VisibleRowCount();
    view.SetBufferCount(room);
    FDataLink->SetBufferCount(BufferCountFor(room));
    FLastVisibleRows = view.VisibleRowCount();
    SetRowCount(LaidOutRowCount(FLastVisibleRows, FMinRowCount, room, FTitleOffset));
  } else if (!FDataLink->Active()) {
    SetRowCount(FTitleOffset + 1);
  } else if (RowCount() <= FTitleOffset) {
    SetRowCount(FTitleOffset + 1);
  }
  if (FixedRows() != FTitleOffset) SetFixedRows(FTitleOffset);
  if (RowCount() != oldRows || FLastVisibleRows != oldVisible) {
    for (int i = 0; i < FColumns->Count(); ++i)
      if (auto* e = dynamic_cast<TkvCheckBoxEditors*>(FColumns->Items(i)->CheckBoxEditors())) e->HideAll();
  }
  UpdateIndicatorWidth();
  UpdateActive();
  if (HasGridOption(FOptions, dgRowSelect)) SetSelection({Col(), Row(), Col(), Row()});
}

// Mended: the row moved through the platform grid's move, which under dgRowSelect put
// the current column back on the first one at every row move; and when the rows
// scrolled under an unchanged grid row, the editor kept showing the text of the record
// that stood there before (after Up from the top row, the edited record's new value
// over the record above it).
void TkwCustomDBGrid::UpdateActive() {
  if (!FDataLink->Active() || RowCount() <= FTitleOffset) return;
  TkwCustomDbGridView& view = DbView();
  const int row = std::clamp(FTitleOffset + view.ActiveRecord(), FTitleOffset, RowCount() - 1);
  if (row != Row()) {
    const bool editing = EditorMode();
    TkwCustomGrid::MoveCurrent(Col(), row, true, false);
    if (editing && CanEditShow()) ShowEditor();
    return;
  }
  // Text typed and not yet written stays.
  TInplaceEdit* editor = InplaceEditor();
  if (EditorMode() && editor && editor->Visible() && !FDataLink->Modified() && CurrentEditText() != FEditText)
    InvalidateEditor();
}

void TkwCustomDBGrid::UpdateScrollBars() {
  if (!HandleAllocated()) return;
  BeginPaintUpdate();
  struct End {
    TkwCustomDBGrid* g;
    ~End() { g->EndPaintUpdate(); }
  } end{this};
  TVertScroll want{0, 0, 0, 0};
  if (FDataLink->Active()) {
    TkwCustomDbGridView& view = DbView();
    want = VerticalScroll(view.RowCount(), view.BufferCount(), view.BufferCount(), view.RecNo());
  }
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  ::GetScrollInfo(Handle(), SB_VERT, &si);
  const TVertScroll have{si.nMin, si.nMax, static_cast<int>(si.nPage), si.nPos};
  if (have == want) return;
  si.fMask = SIF_ALL;
  si.nMin = want.Min;
  si.nMax = want.Max;
  si.nPage = static_cast<UINT>(want.Page);
  si.nPos = want.Pos;
  ::SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
  FLastScroll = want;
}

// The base grid works the horizontal bar out; the vertical one counts the data
// controller's rows, not the grid's. With an active link and only the vertical bar the
// base grid has nothing to do: its range of the grid's own rows would show or hide the
// bar on every row count update (the thousand rows tried for the room, then the rows
// laid out) before the rows' range is set again, each time moving the window's frame.
void TkwCustomDBGrid::UpdateScrollRange() {
  if (!(FDataLink->Active() && ScrollBars() == ssVertical)) TkwCustomGrid::UpdateScrollRange();
  UpdateScrollBars();
}

void TkwCustomDBGrid::UpdateScrollPos() {
  TkwCustomGrid::UpdateScrollPos();
  UpdateScrollBars();
}

void TkwCustomDBGrid::BoundsChanged(bool sized) {
  TkwCustomGrid::BoundsChanged(sized);
  if (sized && HandleAllocated() && FDataLink->Active()) {
    UpdateRowCount();
    UpdateScrollBars();
  }
}

// ============================================================================ the deferred update

void TkwCustomDBGrid::PostDeferredUpdate(uint8_t mask) {
  if (Destroying()) return;
  if (FDeferred.Post(mask, FLayoutLock > 0) && HandleAllocated())
    if (!::PostMessageW(Handle(), WM_KW_DEFERUPDATE, 0, 0)) FDeferred.PostFailed();
}

void TkwCustomDBGrid::DeferredUpdateMessage() { RunDeferredActions(FDeferred.Take()); }

void TkwCustomDBGrid::RunDeferredActions(uint8_t mask) {
  for (TDeferredAction a : DeferredActions(mask)) {
    switch (a) {
      case TDeferredAction::ColumnLists: RefreshColumnLists(); break;
      case TDeferredAction::Layout: LayoutChanged(); break;
      case TDeferredAction::RowCount: UpdateRowCount(); break;
      case TDeferredAction::ScrollBars: UpdateScrollBars(); break;
      case TDeferredAction::Footers: FColumns->CompileFooters(); break;
      case TDeferredAction::Selection:
        // Marks of records that lost their row (deleted, filtered out) are dropped.
        if (FSelectedRecs->Count() > 0) {
          FSelectedRecs->PurgeSelection();
          if (HandleAllocated()) Invalidate();
        }
        break;
      case TDeferredAction::Invalidate:
        if (HandleAllocated()) Invalidate();
        break;
    }
  }
}

// ============================================================================ window

void TkwCustomDBGrid::CreateHandle() {
  BeginPaintUpdate();
  try {
    TkwCustomGrid::CreateHandle();
  } catch (...) {
    EndPaintUpdate();
    throw;
  }
  EndPaintUpdate();
  // Work asked for while there was no window is done now that there is one.
  if (FLayoutPending) {
    BeginLayout();
    EndLayout();
  }
  UpdateRowCount();
  UpdateActive();
  UpdateScrollBars();
  if (FDeferred.Pending() != 0 || FDeferred.Posted()) {
    FDeferred.PostFailed();
    const uint8_t pending = FDeferred.Take();
    PostDeferredUpdate(pending);
  }
}

void TkwCustomDBGrid::Loaded() {
  TkwCustomGrid::Loaded();
  if (FColumns->Count() > 0) SetColCount(FColumns->Count());
  LayoutChanged();
}

// Mended: the editor stayed open over a closed dataset, keeping a typed text nothing
// could be written to, and the next click wrote it into whatever record was current
// then (an error in browse mode). The editor and its text go with the data; the editor
// comes back with it where the column always shows it.
void TkwCustomDBGrid::LinkActive(bool Value) {
  DbView();  // the controller exists before the layout asks it
  if (!Value) {
    HideEditor();
    FDataLink->SetModified(false);
  }
  FSelectedRecs->SetActive(Value);
  FSelecting = false;
  LayoutChanged();
  if (HandleAllocated()) {
    UpdateRowCount();
    UpdateScrollBars();
  }
  if (Value && HandleAllocated() && AlwaysShowEditor(Col()) && CanEditShow()) ShowEditor();
}

void TkwCustomDBGrid::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_KW_DEFERLAYOUT: DeferredLayoutMessage(); return;
    case WM_KW_DEFERUPDATE: DeferredUpdateMessage(); return;
    case WM_VSCROLL: WMVScroll(m); return;
    case CM_FONTCHANGED: CMFontChanged(m); return;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(m); return;
    default: TkwCustomGrid::WndProc(m);
  }
}
