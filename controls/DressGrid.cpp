// The dress grid: logical columns, cell access, painting, title sort, layout file and
// the pick-list editor.
#include "controls/DressGrid.h"

#include <algorithm>
#include <cstdlib>

#include "controls/ControlUtils.h"
#include "controls/DressGridSort.h"
#include "controls/FindWindow.h"
#include "rtl/FileUtils.h"
#include "ui/GdiScopes.h"

using ui_win::GdiObject;
using ui_win::Selected;
using ui_win::WindowDC;

// ============================================================================ columns

TDressColumn::TDressColumn(TCollection* c) : TCollectionItem(c) { CreatedIndex = Index(); }

TStringList* TDressColumn::NeedPickList() {
  if (!FPickList) FPickList = std::make_unique<TStringList>();
  return FPickList.get();
}

TDressColumns::TDressColumns(TDressGrid* grid) : TCollection(CollectionItemClassOf<TDressColumn>()), FGrid(grid) {}

TDressColumn* TDressColumns::Column(int n) const {
  // An index past the last column (the spare grid columns of a grid with fewer than
  // four logical columns) has no item: such cells edit as plain text.
  if (n < 1 || n >= Count()) return nullptr;
  return ItemsAs<TDressColumn>(n);
}

// ============================================================================ the pop-up list

void TDressPopupListbox::KeyPress(char& Key) {
  if (Key == 8 || Key == 27) {
    const int next = ItemIndex() + 1;
    if (next <= Items()->Count()) SetItemIndex(next < Items()->Count() ? next : -1);
  }
  TPopupListbox::KeyPress(Key);  // clears the typed text
}

// ============================================================================ the editor

TInplaceDressEdit::TInplaceDressEdit(TComponent* AOwner)
    : TNewInplaceEdit(AOwner), FButtonWidth(::GetSystemMetrics(SM_CXVSCROLL)) {}

TDressGrid* TInplaceDressEdit::DressGrid() const { return dynamic_cast<TDressGrid*>(Grid()); }

TDressPopupListbox* TInplaceDressEdit::PickList() {
  if (!FPickList) {
    FPickList = new TDressPopupListbox(this);
    // Whole items only (integral height); items 11 pixels high, or a line of the list's
    // font where that is more (see DropDown).
    FPickList->SetIntegralHeight(true);
    FPickList->SetItemHeight(11);
    FPickList->SetVisible(false);
    FPickList->SetParent(this);
    FPickList->OnListMouseUp = [this](TMouseButton, TShiftState, int X, int Y) {
      CloseUp(X >= 0 && Y >= 0 && X < FPickList->Width() && Y < FPickList->Height());
    };
  }
  return FPickList;
}

TRect TInplaceDressEdit::ButtonRect() {
  if (Grid() && Grid()->HandleAllocated() && (::GetWindowLongW(Grid()->Handle(), GWL_EXSTYLE) & WS_EX_RTLREADING))
    return Rect(0, 0, FButtonWidth, Height());
  return Rect(Width() - FButtonWidth, 0, Width(), Height());
}

void TInplaceDressEdit::UpdateContents() {
  // Mended: the password character was set only when a cell was selected, so the first
  // edit, which makes the editor after the cell was selected, showed a masked cell's text.
  if (TDressGrid* g = DressGrid()) SetCellPasswordChar(g->CellPasswordChar(g->Col(), g->Row()));
  TNewInplaceEdit::UpdateContents();
  FActiveList = nullptr;
  FEditStyle = DressGrid() ? DressGrid()->DressEditStyle() : esSimple;
  if (FEditStyle == esPickList) FActiveList = PickList();
  TNewInplaceEdit::UpdateContents();
  BoundsChanged();
}

void TInplaceDressEdit::BoundsChanged() {
  if (!HandleAllocated()) return;
  RECT r{2, 2, Width() - 2, Height()};
  if (FEditStyle == esPickList) r.right -= FButtonWidth;
  ::SendMessageW(FHandle, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
  ::SendMessageW(FHandle, EM_SCROLLCARET, 0, 0);
  FitOneLine(2, FEditStyle == esPickList ? FButtonWidth + 2 : 2);
}

void TInplaceDressEdit::DropDown() {
  if (FListVisible || !FActiveList || !DressGrid()) return;
  TPopupListbox* list = PickList();
  list->SetWidth(Width());
  const int previous = list->ItemIndex();
  list->Items()->Clear();
  if (TDressColumn* item = DressGrid()->Columns()->Column(DressGrid()->CurrentTitleColIndex());
      item && item->HasPickList())
    list->Items()->Assign(item->PickList());
  list->HandleNeeded();
  // Items are 11 pixels high, or as high as a line of the list's font where that is more
  // (the CJK font's characters would otherwise overlap).
  int itemHeight = 11;
  {
    WindowDC dc(list->Handle());
    Selected font(dc.dc(), list->Font()->Handle());
    TEXTMETRICW tm{};
    if (::GetTextMetricsW(dc.dc(), &tm)) itemHeight = std::max<int>(itemHeight, tm.tmHeight);
  }
  ::SendMessageW(list->Handle(), LB_SETITEMHEIGHT, 0, itemHeight);
  const int count = list->Items()->Count();
  const int height = std::min(count * itemHeight + 4, 256);
  // Mended: assigning the items cleared the selection, so a cell with text opened the
  // list with nothing selected; such a cell keeps the selection the list had.
  if (Text().empty())
    list->SetItemIndex(count > 0 ? 0 : -1);
  else
    list->SetItemIndex(previous < count ? previous : -1);
  int width = Width();
  {
    WindowDC dc(list->Handle());
    Selected font(dc.dc(), list->Font()->Handle());
    for (int i = 0; i < count; ++i) {
      const WideString w = GbkToWide(list->Items()->Strings(i));
      SIZE sz{0, 0};
      ::GetTextExtentPoint32W(dc.dc(), reinterpret_cast<LPCWSTR>(w.c_str()), static_cast<int>(w.size()), &sz);
      width = std::max<int>(width, sz.cx + 6);
    }
  }
  ShowDropDownList(list->Handle(), FHandle, width, height, HWND_TOPMOST);
  FListVisible = true;
  Invalidate();
  ::SetFocus(FHandle);
}

void TInplaceDressEdit::CloseUp(bool Accept) {
  if (!FListVisible || FActiveList != FPickList || !FPickList) return;
  FListVisible = false;
  if (::GetCapture()) ::ReleaseCapture();
  const int index = FPickList->ItemIndex();
  const bool has = index >= 0;
  const AnsiString value = has ? FPickList->Items()->Strings(index) : AnsiString();
  ::SetWindowPos(FPickList->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  Invalidate();
  if (Accept && has && value != Text()) {
    ::SendMessageW(FHandle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(GbkToWide(value).c_str()));
    SetModified(true);
    if (DressGrid()) DressGrid()->EditorSetText(value);
  }
}

void TInplaceDressEdit::DblClick() {
  if (FEditStyle != esPickList || !DressGrid()) {
    if (!DressGrid()) {
      TNewInplaceEdit::DblClick();
      return;
    }
    // Mended: the grid used to take the position of its own last double-click (a title,
    // after a sort), so a double-click in the editor sorted again. It takes this one's.
    POINT p{FPressPos.X, FPressPos.Y};
    ::MapWindowPoints(FHandle, DressGrid()->Handle(), &p, 1);
    DressGrid()->DblClickAt({p.x, p.y});
    return;
  }
  TDressColumn* item = DressGrid()->Columns()->Column(DressGrid()->CurrentTitleColIndex());
  if (!item || !item->HasPickList() || item->PickList()->Count() == 0) return;
  // Mended: the items used to be assigned before the selection was read, which cleared
  // it, so every double-click chose the first item. The step starts from the selection
  // the list had.
  TPopupListbox* list = PickList();
  const int previous = list->ItemIndex();
  list->Items()->Assign(item->PickList());
  int index = previous + 1;
  if (index >= list->Items()->Count()) index = 0;
  list->SetItemIndex(index);
  const AnsiString value = list->Items()->Strings(index);
  ::SendMessageW(FHandle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(GbkToWide(value).c_str()));
  SetModified(true);
  DressGrid()->EditorSetText(value);
  SelectAll();
}

void TInplaceDressEdit::KeyDown(WORD& Key, TShiftState Shift) {
  if (DressGrid() && DressGrid()->HandleSearchKey(Key, Shift)) {
    Key = 0;
    return;
  }
  TNewInplaceEdit::KeyDown(Key, Shift);
}

void TInplaceDressEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  // A press on the button while the list is open leaves it open: DropDown does nothing
  // then (the list closes by a choice, Enter, Esc or a press elsewhere).
  if (Button == mbLeft && FEditStyle == esPickList && ButtonRect().Contains({X, Y})) {
    ::SetCapture(FHandle);
    if (FActiveList) DropDown();
  }
  TNewInplaceEdit::MouseDown(Button, Shift, X, Y);
}

void TInplaceDressEdit::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_KEYDOWN: case CN_SYSKEYDOWN: case CN_CHAR:
      if (FEditStyle == esPickList) {
        const WORD key = static_cast<WORD>(m.WParam);
        const bool alt = KeyDataToShiftState(m.LParam).Contains(ssAlt);
        const bool enterOrEsc = m.Msg == CN_CHAR ? (key == '\r' || key == 27) : (key == VK_RETURN || key == VK_ESCAPE);
        if (enterOrEsc && FListVisible && !alt) {
          if (m.Msg != CN_CHAR) CloseUp(key == VK_RETURN);
          m.Result = 1;
          return;
        }
        if (m.Msg == CN_CHAR && key == ' ' && !FListVisible) DropDown();
        if (FListVisible && FPickList) {
          const UINT msg = m.Msg == CN_CHAR ? WM_CHAR : m.Msg == CN_SYSKEYDOWN ? WM_SYSKEYDOWN : WM_KEYDOWN;
          ::SendMessageW(FPickList->Handle(), msg, m.WParam, m.LParam);
          if (m.Msg == CN_CHAR) {
            m.Result = 1;
          } else {
            // The key is not used up, so that it is still translated and its character
            // (Backspace, a letter of the typed search) reaches the list too; the key
            // message itself then passes the editor by.
            FSwallowKeyDown = true;
            m.Result = 0;
          }
          return;
        }
      }
      break;
    case WM_PAINT:
      TNewInplaceEdit::WndProc(m);
      if (FEditStyle == esPickList && HandleAllocated()) {
        WindowDC dc(FHandle);
        const TRect br = ButtonRect();
        RECT r{br.Left, br.Top, br.Right, br.Bottom};
        ::DrawFrameControl(dc.dc(), &r, DFC_SCROLL, DFCS_SCROLLDOWN | (FListVisible ? DFCS_PUSHED : 0));
      }
      return;
    case WM_PRINT: case WM_PRINTCLIENT:
      TNewInplaceEdit::WndProc(m);
      if (FEditStyle == esPickList && m.WParam) {
        const TRect br = ButtonRect();
        RECT r{br.Left, br.Top, br.Right, br.Bottom};
        ::DrawFrameControl(reinterpret_cast<HDC>(m.WParam), &r, DFC_SCROLL,
                           DFCS_SCROLLDOWN | (FListVisible ? DFCS_PUSHED : 0));
      }
      return;
    case WM_KILLFOCUS:
      TNewInplaceEdit::WndProc(m);
      if (!FPickList || !FPickList->HandleAllocated() || reinterpret_cast<HWND>(m.WParam) != FPickList->Handle())
        CloseUp(false);
      return;
    case WM_KEYDOWN: case WM_SYSKEYDOWN:
      if (FSwallowKeyDown) {
        FSwallowKeyDown = false;
        m.Result = 0;
        return;
      }
      break;
    case WM_CANCELMODE:
      return;  // the window's cancel mode is ignored
    case CM_CANCELMODE: {
      // Mended: a press on another control (one that takes no focus: a panel, a label, a
      // speed button) left the list open; a press anywhere but the editor and its list
      // closes it.
      const auto* pressed = reinterpret_cast<const TControl*>(m.LParam);
      if (pressed != this && pressed != FPickList) CloseUp(false);
      return;
    }
    case WM_LBUTTONDOWN:
      FPressPos = {static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
      break;
    case WM_LBUTTONDBLCLK:
      FPressPos = {static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
      if (FEditStyle == esPickList &&
          ButtonRect().Contains({static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))}))
        return;
      break;
    case WM_LBUTTONUP:
      if (::GetCapture() == FHandle) ::ReleaseCapture();
      break;
    default: break;
  }
  TNewInplaceEdit::WndProc(m);
}

// ============================================================================ the grid

TDressGrid::TDressGrid(TComponent* AOwner) : TAlignGrid(AOwner), FColumns(std::make_unique<TDressColumns>(this)) {
  SetFixedRows(2);
  SetFixedCols(1);
  SetDefaultRowHeight(17);
  SetRowHeights(0, 30);
  SetRowHeights(1, -1);
  SetColWidths(0, 20);
  SetOptions(Options() + TGridOptions{goRangeSelect, goColSizing, goEditing});
  AutoEditNextCell = true;
  FTitleCols.resize(static_cast<size_t>(ColCount()));
  for (TitleCol& t : FTitleCols) t.SizeCount = t.SizeColCount = 0;
  ResetSort();
  // Mended: without the host's folder the layout file used to be taken from the working
  // folder, another file than the host's. The grid then has no layout file: its widths
  // hold for this run, and nothing is read from or written into a stranger's file.
  try {
    LayoutFileName = LayoutFileIn(GetHostFolder());
  } catch (...) {
    LayoutFileName.clear();
  }
}

TDressGrid::~TDressGrid() {
  WriteLayout();  // never throws
}

std::unique_ptr<TLayoutStore> TDressGrid::LayoutStore() const { return MakeFileLayoutStore(LayoutFileName); }

bool TDressGrid::WriteLayout() noexcept {
  // Placeholders are no columns of the user's: they never overwrite a saved layout.
  if (FNoteFileName.empty() || LayoutFileName.empty() || FPlaceholders || FTitleCols.empty()) return false;
  try {
    std::vector<int32_t> widths;
    TDressLayout layout;
    for (size_t j = 0; j < FTitleCols.size(); ++j) {
      const int grid = FirstGridColOf(FTitleCols, static_cast<int>(j) + 1);
      const int width = grid >= 0 && grid < ColCount() ? ColWidths(grid) : FTitleCols[j].Width;
      widths.push_back(width);
      layout.push_back({FTitleCols[j].Caption, FTitleCols[j].Kind, width});
    }
    if (!LayoutChanged(FSavedLayout, widths)) return false;
    return WriteDressLayout(*LayoutStore(), FNoteFileName, layout);
  } catch (...) {
    return false;
  }
}

void TDressGrid::SetNoteFileName(const AnsiString& v) {
  FNoteFileName = LayoutKey(v);
  if (FNoteFileName.empty() || LayoutFileName.empty()) return;
  // A key with no slot has no saved layout (not the previous key's).
  FSavedLayout = ReadDressLayout(*LayoutStore(), FNoteFileName);
}

void TDressGrid::SetFirstRowHeight(int v) {
  FFirstRowHeight = v;
  SetRowHeights(0, v);
}

void TDressGrid::SetFirstColWidth(int v) {
  FFirstColWidth = v;
  SetColWidths(0, v);
}

void TDressGrid::SetCompressTitleHeight(bool v) {
  if (v == FCompressTitleHeight) return;
  FCompressTitleHeight = v;
  if (!v) {
    RebuildSizeTitles();
    return;
  }
  // One line high again: the line of the current row's key.
  SetRowHeights(1, SizeTitleRowHeight(FTitleCols, true, true, FFirstRowHeight, Font()->Height()));
  FSelectedSizeLine = ::SelectedSizeLine(FTitleCols, FRowKey);
  InvalidateRow(1);
}

void TDressGrid::ResetSort() {
  FSortCol = -1;
  FSortDirection = 1;
  FSortTitleCol = -1;
  FSortSize = 1;
  FSortNumeric = false;
}

void TDressGrid::RebuildSizeTitles() {
  // Both title rows are emptied; the caption row keeps the text of cell (0, 0).
  for (int c = 0; c < ColCount(); ++c) {
    if (c > 0) SetCells(c, 0, "");
    SetCells(c, 1, "");
  }
  SetRowHeights(1, SizeTitleRowHeight(FTitleCols, FCompressTitleHeight, DisplayType == dsNormal, FFirstRowHeight,
                                      Font()->Height()));
  // Each multi-size column gets as many grid columns as it has size numbers, with their
  // size captions centred in row 1; every other column takes one grid column.
  int grid = 1;
  for (TitleCol& t : FTitleCols) {
    if (t.Kind != "1") {
      ++grid;
      continue;
    }
    const int want = std::max(t.SizeCount, 0);
    for (; t.SizeColCount < want; ++t.SizeColCount) InsertCol(grid + t.SizeColCount);
    for (; t.SizeColCount > want; --t.SizeColCount) DeleteColumn(grid + t.SizeColCount - 1);
    for (int size = 1; size <= want; ++size) {
      if (DisplayType == dsNormal) SetCells(grid + size - 1, 1, SizeTitleText(t, size));
      SetCellAlignment(grid + size - 1, 1, al_Center);
    }
    grid += want;
  }
}

void TDressGrid::SetColumnSizes(int ACol, int SizeCount, const std::vector<DressSize>& Sizes) {
  if (ACol < 1 || ACol > static_cast<int>(FTitleCols.size())) return;
  TitleCol& t = FTitleCols[static_cast<size_t>(ACol - 1)];
  t.SizeCount = SizeCount;
  t.Sizes = Sizes;
  RebuildSizeTitles();
  FSelectedSizeLine = ::SelectedSizeLine(FTitleCols, FRowKey);
  Invalidate();
}

AnsiString TDressGrid::RowKeyOf(int ARow) const {
  for (size_t i = 0; i < FTitleCols.size(); ++i)
    if (FTitleCols[i].Kind == "0") return Cells(FirstGridColOf(FTitleCols, static_cast<int>(i) + 1), ARow);
  return "";
}

// The size title row for the row key: the line shown while compressed, or the bands of
// the key's sizes; row 1 is painted again.
void TDressGrid::RefreshSizeTitles() {
  FSelectedSizeLine = ::SelectedSizeLine(FTitleCols, FRowKey);
  if (HandleAllocated() && RowHeights(1) > 0) InvalidateRow(1);
}

void TDressGrid::AddColumn(const AnsiString& Caption, const AnsiString& Kind, int Width,
                           const AnsiString& DecimalPattern, const AnsiString& FixedText, bool NumberFlag,
                           bool BlankZero) {
  FColumns->Add();
  if (FPlaceholders) {
    FTitleCols.clear();
    FPlaceholders = false;
  }
  FTitleCols.push_back(MakeTitleCol(Caption, Kind, Width, DecimalPattern, FixedText, NumberFlag, BlankZero));
  const int n = static_cast<int>(FTitleCols.size());
  if (n >= ColCount()) SetColCount(ColCount() + 1);
  SetColWidths(n, Width);
  if (Kind != "1" && n - 1 < static_cast<int>(FSavedLayout.size())) {
    if (FSavedLayout[n - 1].Width > 0) SetColWidths(n, FSavedLayout[n - 1].Width);
    if (Width < 1) SetColWidths(n, Width);
  }
}

void TDressGrid::ClearColumns() {
  for (int c = 1; c < ColCount(); ++c)
    for (int r = 0; r < RowCount(); ++r) SetCells(c, r, "");
  FTitleCols.clear();
  SetFixedRows(2);
  SetFixedCols(1);
  SetColCount(5);
  SetRowHeights(1, -1);
  FTitleInitialised = false;
  ResetSort();
  Props().ClearProperties();
  RebuildSizeTitles();
}

void TDressGrid::ClearRows() {
  for (int r = 2; r < RowCount(); ++r)
    for (int c = 0; c < ColCount(); ++c) SetCells(c, r, "");
  for (TitleCol& t : FTitleCols) {
    t.Sizes.clear();
    t.Counter1 = t.Counter2 = 0;
  }
  SetFixedRows(2);
  SetFixedCols(1);
  SetRowHeights(1, -1);
  FTitleInitialised = false;
  Props().ClearProperties();
  RebuildSizeTitles();
  SetRowCount(3);
}

AnsiString TDressGrid::GetDressCell(int ARow, int ACol, int ASize) const {
  return Cells(TitleColToGridCol(ACol, ASize), ARow + 1);  // outside the grid: ''
}

void TDressGrid::SetDressCell(int ARow, int ACol, int ASize, const AnsiString& Value) {
  if (ACol < 1 || ACol > static_cast<int>(FTitleCols.size()) || ARow < 0) return;
  const TitleCol& t = FTitleCols[static_cast<size_t>(ACol - 1)];
  const int col = TitleColToGridCol(ACol, ASize);
  if (!t.DisplayFormat.empty() && ARow >= 1)
    SetCells(col, ARow + 1, FormatDressValue(Value, t.DisplayFormat, t.BlankZero));
  else
    SetCells(col, ARow + 1, Value);
}

void TDressGrid::FocusDressCell(int ACol, int ASize, int ARow) {
  SetRow(ARow);
  SetCol(TitleColToGridCol(ACol, ASize));
}

void TDressGrid::GridColToTitleCol(int AGridCol, int& ACol, int& ASize) const {
  if (const auto p = ::GridColToTitleCol(FTitleCols, AGridCol)) {
    ACol = p->Col;
    ASize = p->Size;
  }
}

int TDressGrid::CurrentTitleColIndex() const {
  const auto p = ::GridColToTitleCol(FTitleCols, Col());
  return p ? p->Col - 1 : -1;
}

TEditStyle TDressGrid::DressEditStyle() {
  const TDressColumn* item = FColumns->Column(CurrentTitleColIndex());
  return item && ((item->HasPickList() && item->PickList()->Count() > 0) || item->Style == 1) ? esPickList : esSimple;
}

TInplaceEdit* TDressGrid::CreateEditor() { return new TInplaceDressEdit(this); }

bool TDressGrid::SelectCell(int ACol, int ARow) {
  TAlignGrid::SelectCell(ACol, ARow);  // its event fires, but the move is always allowed
  if (DisplayType != dsNormal) return true;
  FRowKey = RowKeyOf(ARow);
  if (ARow != FLastSelectedRow) {
    FLastSelectedRow = ARow;
    RefreshSizeTitles();
  }
  const auto p = ::GridColToTitleCol(FTitleCols, ACol);
  if (ShowNoEditCells && p && p->Col >= 2 && FTitleCols[static_cast<size_t>(p->Col - 1)].Kind == "1" &&
      !FRowKey.empty()) {
    // The number of sizes the row's key has: 0 when no size lists the key (no size data
    // may be there, so such cells are read-only rather than read past their arrays).
    const int sizes = SizeLineOfKey(FTitleCols[static_cast<size_t>(p->Col - 1)], FRowKey).SizeCount;
    if (p->Size == 0 || p->Size > sizes)
      SetCellEditable(ACol, ARow, false);
    else if (GetEditCol(ACol))
      SetCellEditable(ACol, ARow, true);
  }
  if (TNewInplaceEdit* ed = Editor()) ed->SetCellPasswordChar(CellPasswordChar(ACol, ARow));
  return true;
}

char TDressGrid::CellPasswordChar(int ACol, int ARow) const {
  const auto p = ::GridColToTitleCol(FTitleCols, ACol);
  const bool masked = p && !FTitleCols[static_cast<size_t>(p->Col - 1)].FixedText.empty();
  return masked && CellEditable(ACol, ARow) ? '*' : 0;
}

void TDressGrid::Loaded() {
  SetOptions(Options() - TGridOptions{goRowMoving, goColMoving});
  TAlignGrid::Loaded();
}

void TDressGrid::DefinePublished(TPublishedProperties& P) {
  TAlignGrid::DefinePublished(P);
  P.AddInteger("FirstRowHeight", this, &TDressGrid::FirstRowHeight, &TDressGrid::SetFirstRowHeight).Default(30);
  P.AddInteger("FirstColWidth", this, &TDressGrid::FirstColWidth, &TDressGrid::SetFirstColWidth).Default(20);
  P.AddBoolean("EnableSort", [this] { return EnableSort; }, [this](bool v) { EnableSort = v; }).Default(false);
  P.AddInteger("TitleColor", [this] { return TitleColor; }, [this](int32_t v) { TitleColor = v; })
      .Default(clBtnFace);
  P.AddInteger("SelectedSizeColor", [this] { return SelectedSizeColor; }, [this](int32_t v) { SelectedSizeColor = v; })
      .Default(clRed);
  P.AddBoolean("ShowNoEditCells", [this] { return ShowNoEditCells; }, [this](bool v) { ShowNoEditCells = v; })
      .Default(false);
  P.AddEnumeration("DisplayType", {"dsNormal", "dsMutiSizeRow"}, [this] { return int64_t{DisplayType}; },
                   [this](int64_t v) { DisplayType = static_cast<TDressGridDisplayType>(v); })
      .Default(dsNormal);
  P.AddBoolean("CompressTitleHeight", this, &TDressGrid::CompressTitleHeight, &TDressGrid::SetCompressTitleHeight)
      .Default(true);
  P.AddString("NoteFileName", this, &TDressGrid::NoteFileName, &TDressGrid::SetNoteFileName);
  P.AddBoolean("EnableSearch", [this] { return EnableSearch; }, [this](bool v) { EnableSearch = v; }).Default(false);
  P.AddBoolean("HaveTotalRow", [this] { return HaveTotalRow; }, [this](bool v) { HaveTotalRow = v; }).Default(false);
}

// ---------------------------------------------------------------------------- painting

void TDressGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  if (!DefaultDrawing()) {
    TAlignGrid::DrawCell(ACol, ARow, ARect, AState);
    return;
  }
  TCanvas* cv = Canvas();
  cv->Font()->Assign(CellFont(ACol, ARow));
  // Mended: only the brush's colour was taken, always solid; its style comes too (a clear
  // brush leaves what the grid painted beneath, a hatched one draws its lines over it).
  const TCellBrush brush = CellBrush(ACol, ARow);
  const TBrushStyle style = brush.Style <= bsDiagCross ? static_cast<TBrushStyle>(brush.Style) : bsSolid;
  cv->Brush()->SetColor(brush.Color);
  cv->Brush()->SetStyle(style);
  const bool selected = AState.Contains(gdSelected);
  const bool focused = AState.Contains(gdFocused);
  if (DrawSelection && selected &&
      !(focused && !Options().Contains(goDrawFocusSelected) && !Options().Contains(goRowSelect))) {
    cv->Brush()->SetColor(CellSelectedColor(ACol, ARow));
    cv->Font()->SetColor(SelectedFontColor());
  }
  if (selected && focused && !Options().Contains(goRowSelect) && Options().Contains(goEditing) &&
      Options().Contains(goAlwaysShowEditor) && CellEditable(ACol, ARow) && ACol == Col() && ARow == Row() &&
      !EditorMode())
    ShowCellEditor();
  const auto p = ::GridColToTitleCol(FTitleCols, ACol);
  const TitleCol* title = p ? &FTitleCols[static_cast<size_t>(p->Col - 1)] : nullptr;
  if (ARow == 1 && title && title->Kind == "1") {
    DrawSizeTitleCell(ACol, ARect, *title, p->Size);
    TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
    return;
  }
  const bool masked = title && !title->FixedText.empty();
  const T_Align align = masked ? al_Left : CellAlignment(ACol, ARow);
  const AnsiString& text = Cells(ACol, ARow);
  const bool useMask = masked && ARow >= 2 && RowColor(ARow) != clBtnFace;
  auto xOf = [&](const AnsiString& line) {
    if (align == al_Left) return ARect.Left + 2;
    const int w = line.empty() ? 0 : cv->TextWidth(line);
    return align == al_Right ? ARect.Right - w - 2 : ARect.Left + (ARect.Right - ARect.Left - w) / 2;
  };
  if (text.find('\r') == AnsiString::npos && style == bsSolid) {
    // One line on a solid brush: the opaque text output fills the cell as it draws.
    const AnsiString& line = useMask ? title->FixedText : text;
    cv->TextRect(ARect, xOf(line), ARect.Top + 2, line);
  } else {
    // The cell filled with its brush, then lines split at CR (an LF right after a CR
    // belongs to it), each drawn transparently and clipped to the cell.
    cv->FillRect(ARect);
    cv->Brush()->SetStyle(bsClear);
    int y = ARect.Top + 2;
    size_t from = 0;
    for (;;) {
      const size_t cr = text.find('\r', from);
      const size_t end = cr == AnsiString::npos ? text.size() : cr;
      const AnsiString line = useMask ? title->FixedText : text.substr(from, end - from);
      cv->TextRect(ARect, xOf(line), y, line);
      y += cv->TextHeight(line.empty() ? AnsiString(" ") : line) + (ARow == 1 ? 3 : 0);
      if (cr == AnsiString::npos) break;
      from = cr + 1;
      if (from < text.size() && text[from] == '\n') ++from;
    }
  }
  cv->Brush()->SetStyle(bsSolid);
  if (focused && !CellEditable(ACol, ARow) && Options().Contains(goEditing) && Options().Contains(goAlwaysShowEditor))
    cv->DrawFocusRect(ARect);
  TDrawGrid::DrawCell(ACol, ARow, ARect, AState);  // OnDrawCell; the string grid's own text is not drawn again
}

// A size title cell of a multi-size column. Compressed, only the selected size line is
// drawn, at the top of the cell (the lines skipped take no room), and drawn empty when the
// row's key has fewer sizes than this size number. Otherwise every line is drawn, over the
// band of each size that lists the row's key, filled in the size columns up to the key's
// number of sizes.
void TDressGrid::DrawSizeTitleCell(int ACol, const TRect& ARect, const TitleCol& t, int size) {
  TCanvas* cv = Canvas();
  cv->FillRect(ARect);
  const int band = std::abs(Font()->Height()) + 3;
  if (!FCompressTitleHeight && !FRowKey.empty()) {
    const TColor face = cv->Brush()->Color();
    cv->Brush()->SetColor(SelectedSizeColor);
    for (size_t i = 0; i < t.Sizes.size(); ++i) {
      if (size > KeySizeCount(t.Sizes[i], FRowKey)) continue;  // not listed: -1
      const int top = ARect.Top + static_cast<int>(i) * band;
      cv->FillRect(Rect(ARect.Left, top, ARect.Right, std::min(top + band, ARect.Bottom)));
    }
    cv->Brush()->SetColor(face);
  }
  const T_Align align = CellAlignment(ACol, 1);
  const bool emptyLine = FCompressTitleHeight && SizeLineOfKey(t, FRowKey).SizeCount < size;
  cv->Brush()->SetStyle(bsClear);
  const AnsiString& text = Cells(ACol, 1);
  // Uncompressed, line i is centred in its band (|font height| + 3 high, as the row's
  // height counts it), so that a font with internal leading keeps every line inside the
  // row and on its band; compressed, the one line starts 2 pixels down.
  const int textHeight = cv->TextHeight("国");
  int y = FCompressTitleHeight ? ARect.Top + 2 : ARect.Top + (band - textHeight) / 2;
  int number = 1;
  for (size_t from = 0; from < text.size(); ++number) {
    const size_t cr = text.find('\r', from);
    const size_t end = cr == AnsiString::npos ? text.size() : cr;
    AnsiString line = text.substr(from, end - from);
    from = cr == AnsiString::npos ? text.size() : cr + 1;
    if (from < text.size() && text[from] == '\n') ++from;
    if (FCompressTitleHeight && (number != FSelectedSizeLine || emptyLine)) continue;
    const int w = cv->TextWidth(line);
    const int x = align == al_Left    ? ARect.Left + 2
                  : align == al_Right ? ARect.Right - w - 2
                                      : ARect.Left + (ARect.Right - ARect.Left - w) / 2;
    cv->TextRect(ARect, x, y, line);
    y += band;
  }
  cv->Brush()->SetStyle(bsSolid);
}

void TDressGrid::DrawTitleCell(const TRect& r, const AnsiString& text) {
  TCanvas* cv = Canvas();
  cv->Font()->Assign(Font());
  cv->Font()->SetColor(clBlack);
  cv->Brush()->SetColor(TitleColor);
  cv->Brush()->SetStyle(bsSolid);
  cv->FillRect(r);
  auto line = [cv](TColor c, int x1, int y1, int x2, int y2) {
    cv->Pen()->SetColor(c);
    cv->MoveTo(x1, y1);
    cv->LineTo(x2, y2);
  };
  line(cl3DDkShadow, r.Left - 1, r.Top, r.Left - 1, r.Bottom);
  line(cl3DDkShadow, r.Left, r.Bottom, r.Right, r.Bottom);
  line(clBtnHighlight, r.Left, r.Top, r.Right, r.Top);
  line(clBtnHighlight, r.Left, r.Top, r.Left, r.Bottom);
  line(clBtnShadow, r.Right - 1, r.Top, r.Right - 1, r.Bottom);
  line(clBtnShadow, r.Left, r.Bottom - 1, r.Right - 1, r.Bottom - 1);
  TRect t = r;
  cv->Brush()->SetStyle(bsClear);
  cv->DrawText(text, t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  cv->Brush()->SetStyle(bsSolid);
}

void TDressGrid::PaintSizeSeparators(const TitleCol& t, int first, int last) {
  TRect area;
  bool any = false;
  for (int c = first; c <= last && c < ColCount(); ++c) {
    const TRect r = CellRect(c, 1);
    if (r.Right <= r.Left || r.Bottom <= r.Top) continue;
    if (!any) area = r;
    area.Right = r.Right;
    any = true;
  }
  if (!any) return;
  TCanvas* cv = Canvas();
  cv->Pen()->SetColor(clBtnShadow);
  const int band = std::abs(Font()->Height()) + 3;
  for (size_t i = 1; i <= t.Sizes.size(); ++i) {
    const int y = area.Top + static_cast<int>(i) * band - 1;
    if (y >= area.Bottom) break;
    cv->MoveTo(area.Left, y);
    cv->LineTo(area.Right, y);
  }
  for (int c = first; c < last && c < ColCount(); ++c) {
    const TRect r = CellRect(c, 1);
    if (r.Right <= r.Left) continue;
    cv->MoveTo(r.Right - 1, area.Top);
    cv->LineTo(r.Right - 1, area.Bottom);
  }
}

void TDressGrid::PaintTitles() {
  if (DisplayType == dsMutiSizeRow) return;
  for (size_t i = 0; i < FTitleCols.size(); ++i) {
    const int col = FirstGridColOf(FTitleCols, static_cast<int>(i) + 1);
    if (col < 0 || col >= ColCount() || FTitleCols[i].SizeColCount < 1) continue;
    if (FTitleCols[i].Kind == "1") {
      // The caption over row 0 of the part of the size columns on screen.
      const int last = col + FTitleCols[i].SizeColCount - 1;
      TRect span;
      bool any = false;
      for (int c = col; c <= last && c < ColCount(); ++c) {
        const TRect r = CellRect(c, 0);
        if (r.Right <= r.Left) continue;
        if (!any) span = r;
        span.Right = r.Right;
        any = true;
      }
      if (any) DrawTitleCell(span, FTitleCols[i].Caption);
      if (!FCompressTitleHeight && RowHeights(1) > 0) PaintSizeSeparators(FTitleCols[i], col, last);
      continue;
    }
    TRect r = CellRect(col, 0);
    if (r.Right <= r.Left) continue;  // not on screen
    const TRect r1 = CellRect(col, 1);
    if (r1.Bottom > r1.Top) r.Bottom = r1.Bottom;
    DrawTitleCell(r, FTitleCols[i].Caption);
  }
  if (FSortCol >= 1 && FSortCol < ColCount() && !FTitleCols.empty()) {
    // R is the right edge of the sort column's title cell: the size title cell of a
    // multi-size column (while row 1 is shown), else the caption cell.
    const auto pos = ::GridColToTitleCol(FTitleCols, FSortCol);
    const bool sized = pos && FTitleCols[static_cast<size_t>(pos->Col - 1)].Kind == "1";
    const TRect sizeCell = sized ? CellRect(FSortCol, 1) : TRect();
    const TRect r = sizeCell.Right > sizeCell.Left ? sizeCell : CellRect(FSortCol, 0);
    if (r.Right <= r.Left) return;
    const TRect last = CellRect(FSortCol, FixedRows() - 1);
    const int R = r.Right;
    const int B = last.Bottom > last.Top ? last.Bottom : r.Bottom;
    POINT pts[3];
    if (FSortDirection == 1)
      pts[0] = {R - 10, B - 5}, pts[1] = {R - 15, B - 10}, pts[2] = {R - 5, B - 10};
    else
      pts[0] = {R - 10, B - 10}, pts[1] = {R - 15, B - 5}, pts[2] = {R - 5, B - 5};
    HDC dc = Canvas()->Handle();
    GdiObject<HBRUSH> brush(::CreateSolidBrush(ColorToRGB(clGreen)));
    GdiObject<HPEN> pen(::CreatePen(PS_SOLID, 1, ColorToRGB(clGreen)));
    Selected b(dc, brush.get());
    Selected p(dc, pen.get());
    ::Polygon(dc, pts, 3);
  }
}

void TDressGrid::Paint() {
  // The first paint (after construction, ClearColumns or ClearRows) takes the size
  // titles of the current row's key.
  if (!FTitleInitialised) {
    FRowKey = RowKeyOf(Row());
    FSelectedSizeLine = ::SelectedSizeLine(FTitleCols, FRowKey);
    FTitleInitialised = true;
  }
  TAlignGrid::Paint();
  PaintTitles();
}

void TDressGrid::TopLeftChanged() {
  TAlignGrid::TopLeftChanged();
  Invalidate();
}

// ---------------------------------------------------------------------------- sorting

void TDressGrid::WndProc(TMessage& m) {
  if (m.Msg == WM_LBUTTONDBLCLK)
    FDblClickPos = {static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
  TAlignGrid::WndProc(m);
}

void TDressGrid::DblClick() { DblClickAt(FDblClickPos); }

void TDressGrid::DblClickAt(TPoint Pos) {
  int c = -1, r = -1;
  MouseToCell(Pos.X, Pos.Y, c, r);
  if (r < 0 || r >= FixedRows() || c < 1 || DisplayType != dsNormal || !EnableSort) {
    TAlignGrid::DblClick();
    return;
  }
  DoExit();  // an open edit is finished first
  // The old sort column's size title cell loses its mark.
  if (const auto old = ::GridColToTitleCol(FTitleCols, FSortCol);
      FSortCol >= 1 && old && FTitleCols[static_cast<size_t>(old->Col - 1)].Kind == "1")
    InvalidateCell(FSortCol, 1);
  FSortCol = c;
  FSortDirection = -FSortDirection;
  const auto pos = ::GridColToTitleCol(FTitleCols, c);
  FSortTitleCol = pos ? pos->Col - 1 : -1;
  FSortSize = pos ? pos->Size : 1;
  FSortNumeric = pos && !FTitleCols[static_cast<size_t>(pos->Col - 1)].DisplayFormat.empty();
  Invalidate();
  SortRows();
}

void TDressGrid::SortRows() {
  if (FSortCol < 0) return;
  const int keyCol = FTitleCols.empty() ? 1 : FirstGridColOf(FTitleCols, 1);
  TSortRowsAccess a;
  a.RowCount = RowCount();
  a.HaveTotalRow = HaveTotalRow;
  a.KeyText = [&](int r) { return Cells(keyCol, r); };
  a.SortText = [&](int r) { return Cells(FSortCol, r); };
  a.ExchangeRows = [&](int x, int y) { ExchangeRows(x, y); };
  a.RowNumber = [&](int r) { return Cells(0, r); };
  a.SetRowNumber = [&](int r, const AnsiString& t) { SetCells(0, r, t); };
  SortDressRows(a, FSortDirection, FSortNumeric);
  Invalidate();
}

// ---------------------------------------------------------------------------- searching

void TDressGrid::KeyDown(WORD& Key, TShiftState Shift) {
  TAlignGrid::KeyDown(Key, Shift);
  if (HandleSearchKey(Key, Shift)) Key = 0;
}

TFindWindow* TDressGrid::FindWindow() {
  if (!FFindWindow) FFindWindow = new TFindWindow(this);
  return FFindWindow;
}

// Mended: the key was also compared with 'f', which as a virtual key is VK_NUMPAD6, so
// Ctrl+NumPad6 opened the find window; the virtual key of F is 'F' alone.
bool TDressGrid::HandleSearchKey(WORD Key, TShiftState Shift) {
  if (!EnableSearch || Key != 'F' || !(Shift == TShiftState{ssCtrl})) return false;
  const TGridOptions saved = Options();
  SetOptions((saved - TGridOptions{goAlwaysShowEditor}) + TGridOptions{goDrawFocusSelected});
  auto fields = std::make_unique<TStringList>();
  for (const TitleCol& t : FTitleCols)
    if (t.Width > 0) fields->Add(t.Caption);
  const int index = CurrentTitleColIndex();
  const AnsiString field = index >= 0 ? FTitleCols[static_cast<size_t>(index)].Caption
                           : FTitleCols.empty() ? AnsiString() : FTitleCols[0].Caption;
  TFindWindow* w = FindWindow();
  w->Prepare(fields.get(), field);
  try {
    w->ShowModal();
  } catch (...) {
    SetOptions(saved);
    throw;
  }
  SetOptions(saved);
  Invalidate();
  return true;
}
