// The aligned string grid and its in-place editor.
#include "controls/AlignGrid.h"

#include "controls/AlignGridStream.h"

// ============================================================================ the editor

TNewInplaceEdit::TNewInplaceEdit(TComponent* AOwner) : TInplaceEdit(AOwner) {}

TAlignGrid* TNewInplaceEdit::AlignGrid() const { return dynamic_cast<TAlignGrid*>(Grid()); }

void TNewInplaceEdit::CreateParams(TCreateParams& p) {
  TInplaceEdit::CreateParams(p);
  p.Style &= ~static_cast<DWORD>(ES_LEFT | ES_RIGHT | ES_CENTER);
  p.Style |= FAlignment == al_Right ? ES_RIGHT : FAlignment == al_Center ? ES_CENTER : ES_LEFT;
  if (PasswordChar() != 0) p.Style &= ~static_cast<DWORD>(ES_MULTILINE);
}

// Mended: the password character was only handed to the multi-line window, which ignores
// it, so a masked cell's editor showed its text.
void TNewInplaceEdit::SetCellPasswordChar(char v) {
  if (v == PasswordChar()) return;
  const bool otherWindow = HandleAllocated() && (v != 0) != (PasswordChar() != 0);
  SetPasswordChar(v);
  if (otherWindow) RecreateWindow();
}

void TNewInplaceEdit::BoundsChanged() {
  TInplaceEdit::BoundsChanged();
  FitOneLine(2, 2);
}

void TNewInplaceEdit::FitOneLine(int LeftMargin, int RightMargin) {
  if (!HandleAllocated() || (::GetWindowLongW(FHandle, GWL_STYLE) & ES_MULTILINE)) return;
  ::SendMessageW(FHandle, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(LeftMargin, RightMargin));
  DWORD start = 0, end = 0;
  ::SendMessageW(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  ::SendMessageW(FHandle, EM_SETSEL, 0, 0);
  ::SendMessageW(FHandle, EM_SCROLLCARET, 0, 0);
  ::SendMessageW(FHandle, EM_SETSEL, start, static_cast<LPARAM>(end));
  ::SendMessageW(FHandle, EM_SCROLLCARET, 0, 0);
}

void TNewInplaceEdit::WndProc(TMessage& m) {
  TInplaceEdit::WndProc(m);
  // A one-line window wants Enter, Esc and the rest as the multi-line one does (Tab as
  // the grid says), so that they stay the editor's and do not go to the form.
  if (m.Msg == WM_GETDLGCODE && m.WParam != VK_TAB && HandleAllocated() &&
      !(::GetWindowLongW(FHandle, GWL_STYLE) & ES_MULTILINE))
    m.Result |= DLGC_WANTALLKEYS;
}

void TNewInplaceEdit::SetAlignment(T_Align v) {
  if (v == FAlignment) return;
  FAlignment = v;
  if (!HandleAllocated()) return;
  // The text alignment is a style of the edit window: a new window carries it.
  RecreateWindow();
  SelectAll();
}

// Mended: the focused window used to be destroyed with the focus in it. The focus then
// fell to the grid, whose editor update loaded the next cell's text into the editor in the
// middle of the re-creation, and the text put back afterwards was the previous cell's: it
// showed in the next cell and was written into it when that cell was left. The focus now
// passes to the grid as from its own editor (which updates nothing) before the window goes,
// and comes back to the new window.
void TNewInplaceEdit::RecreateWindow() {
  const AnsiString text = Text();
  const bool modified = Modified();
  const bool focused = ::GetFocus() == FHandle;
  TCustomGrid* grid = Grid();
  if (focused && grid && grid->HandleAllocated()) ::SetFocus(grid->Handle());
  DestroyHandle();
  HandleNeeded();
  SetText(text);
  SetModified(modified);
  if (focused) ::SetFocus(FHandle);
}

// Mended: a key the grid moves on with (Tab, an arrow) may re-create the window for the
// next cell's alignment. The key's own message then went to the window that was gone, and
// the editor's swallowing of the grid's key stayed armed for the user's next key (a Delete
// typed right after the move was lost). The key follows the window: it is translated and
// handled in the new one.
void TNewInplaceEdit::CNKeyDown(TMessage& m) {
  const HWND before = FHandle;
  TInplaceEdit::CNKeyDown(m);
  if (m.Result != 0 || !HandleAllocated() || FHandle == before) return;
  MSG msg{FHandle, WM_KEYDOWN, m.WParam, m.LParam, static_cast<DWORD>(::GetMessageTime()), {0, 0}};
  ::TranslateMessage(&msg);
  ::SendMessageW(FHandle, WM_KEYDOWN, m.WParam, m.LParam);
  m.Result = 1;
}

bool TNewInplaceEdit::Changed() const { return Modified() || const_cast<TNewInplaceEdit*>(this)->Text() != EditStartText; }

bool TNewInplaceEdit::TakeChange() {
  if (!Changed()) return false;
  EditStartText = Text();
  SetModified(false);
  return true;
}

void TNewInplaceEdit::KeyPress(char& Key) {
  if (CellCol == -1 || CellRow == -1) {
    Key = 0;
    return;
  }
  if (Key == '\r') {
    ::PostMessageW(Grid()->Handle(), WM_ALIGNGRID_ENTER, static_cast<WPARAM>(CellCol), CellRow);
  } else if (Key == 27) {
    SetText(EditStartText);
    ::PostMessageW(Grid()->Handle(), WM_ALIGNGRID_CANCEL, static_cast<WPARAM>(CellCol), CellRow);
    Key = '\r';
  }
  TInplaceEdit::KeyPress(Key);
}

// ============================================================================ the grid

class TAlignGrid::TNav : public TNavGrid {
 public:
  explicit TNav(TAlignGrid& g) : G(g) {}
  int ColCount() const override { return G.ColCount(); }
  int RowCount() const override { return G.RowCount(); }
  int FixedCols() const override { return G.FixedCols(); }
  int FixedRows() const override { return G.FixedRows(); }
  bool CellEditable(int c, int r) const override { return G.CellEditable(c, r); }
  void InsertCol(int at) override { G.InsertCol(at); }
  void InsertRow(int at) override { G.InsertRow(at); }

 private:
  TAlignGrid& G;
};

TAlignGrid::TAlignGrid(TComponent* AOwner)
    : TStringGrid(AOwner), FCellChanged(std::make_shared<const std::function<void()>>([this] { Invalidate(); })) {
  OnCompareCol = [this](TObject*, int colrow, int a, int b) { return CompareCells(Cells(colrow, a), Cells(colrow, b)); };
  OnCompareRow = [this](TObject*, int colrow, int a, int b) { return CompareCells(Cells(a, colrow), Cells(b, colrow)); };
  FHintRegistration = std::make_unique<TShowHintRegistration>(TShowHintMethod(this, &TAlignGrid::ShowHintHandler));
}

TAlignGrid::~TAlignGrid() { FHintRegistration.reset(); }

void TAlignGrid::ShowHintHandler(AnsiString& HintStr, bool&, THintInfo& HintInfo) {
  if (HintInfo.HintControl != this || !FShowCellHints) return;
  int c = -1, r = -1;
  MouseToCell(HintInfo.CursorPos.X, HintInfo.CursorPos.Y, c, r);
  FHintCell = {c, r};
  const TRect rc = CellRect(c, r);
  HintInfo.HintPos = ClientToScreen({rc.Left, rc.Bottom + 6});
  HintStr = CellHint(c, r);
}

void TAlignGrid::MouseMove(TShiftState Shift, int X, int Y) {
  if (FHintCell.X >= 0 && FHintCell.Y >= 0) {
    int c = -1, r = -1;
    MouseToCell(X, Y, c, r);
    if (c != FHintCell.X || r != FHintCell.Y) {
      Application->CancelHint();
      FHintCell = {-1, -1};
    }
  }
  TStringGrid::MouseMove(Shift, X, Y);
}

t_relation TAlignGrid::CompareCells(const AnsiString& a, const AnsiString& b) const {
  const int c = CompareStr(a, b);
  return c == 0 ? rel_equal : c < 0 ? rel_less : rel_greater;
}

void TAlignGrid::SetAlignment(T_Align v) {
  FAlignment = v;
  Invalidate();
}

void TAlignGrid::SetSelectedCellColor(TColor v) {
  FSelectedCellColor = v;
  Invalidate();
}

void TAlignGrid::SetSelectedFontColor(TColor v) {
  FSelectedFontColor = v;
  Invalidate();
}

T_Align TAlignGrid::CellAlignment(int ACol, int ARow) const {
  return FProps.CellAlignment(ACol, ARow, IsFixedCell(ACol, ARow), FAlignment);
}

bool TAlignGrid::CellEditable(int ACol, int ARow) const { return FProps.CellEditable(ACol, ARow, FEditable); }

TFont* TAlignGrid::CellFont(int ACol, int ARow) {
  const TCellFont* f = FProps.CellFont(ACol, ARow, IsFixedCell(ACol, ARow));
  if (!f) return Font();
  FCellFont.SetName(f->Name);
  FCellFont.SetHeight(f->Height);
  FCellFont.SetColor(f->Color);
  FCellFont.SetPitch(static_cast<TFontPitch>(f->Pitch));
  TFontStyles style;
  for (int b = 0; b < 4; ++b)
    if (f->Style & (1 << b)) style << static_cast<TFontStyle>(b);
  FCellFont.SetStyle(style);
  return &FCellFont;
}

TCellBrush TAlignGrid::CellBrush(int ACol, int ARow) {
  const bool fixed = IsFixedCell(ACol, ARow);
  if (const TCellBrush* b = FProps.CellBrush(ACol, ARow, fixed)) return *b;
  return TCellBrush{fixed ? FixedColor() : Color(), 0, false};
}

TColor TAlignGrid::RowColor(int ARow) const {
  const TCellBrush* b = FProps.BrushRow.Find(ARow);
  return b ? b->Color : const_cast<TAlignGrid*>(this)->Color();
}

TColor TAlignGrid::CellSelectedColor(int ACol, int ARow) const {
  return FProps.CellSelectedColor(ACol, ARow, FSelectedCellColor);
}

void TAlignGrid::SetCellAlignment(int ACol, int ARow, T_Align Value) {
  FProps.AlignCell.Set(ACol, ARow, Value);
  Invalidate();
}

void TAlignGrid::SetCellEditable(int ACol, int ARow, bool Value) { FProps.EditCell.Set(ACol, ARow, Value); }

void TAlignGrid::SetEditCol(int ACol, bool Value) {
  FProps.EditCol.Set(ACol, Value);
  Invalidate();
}

TCellBrush TAlignGrid::NewBrush() { return TCellBrush{Color(), 0, false, FCellChanged}; }

TCellBrush* TAlignGrid::BrushCellOf(int ACol, int ARow) { return FProps.BrushCell.Obtain(ACol, ARow, NewBrush()); }
TCellBrush* TAlignGrid::BrushColOf(int ACol) { return FProps.BrushCol.Obtain(ACol, NewBrush()); }
TCellBrush* TAlignGrid::BrushRowOf(int ARow) { return FProps.BrushRow.Obtain(ARow, NewBrush()); }
TCellBrush* TAlignGrid::BrushFixedColOf(int ACol) { return FProps.BrushFixedCol.Obtain(ACol, NewBrush()); }
TCellBrush* TAlignGrid::BrushFixedRowOf(int ARow) { return FProps.BrushFixedRow.Obtain(ARow, NewBrush()); }

// ---------------------------------------------------------------------------- structure

void TAlignGrid::InsertCol(int ACol) {
  const int at = std::max(ACol, FixedCols());
  SetColCount(ColCount() + 1);
  FProps.InsertCol(at);
  const int last = ColCount() - 1;
  for (int r = 0; r < RowCount(); ++r) SetCells(last, r, "");
  // The platform's moves bring the empty column down, widths with it; the lists have
  // already made room.
  ++FMovingInserted;
  try {
    for (int c = last; c > at; --c) MoveColumn(c, c - 1);
  } catch (...) {
    --FMovingInserted;
    throw;
  }
  --FMovingInserted;
  Invalidate();
}

void TAlignGrid::InsertRow(int ARow) {
  const int at = std::max(ARow, FixedRows());
  SetRowCount(RowCount() + 1);
  FProps.InsertRow(at);
  const int last = RowCount() - 1;
  for (int r = last; r > at; --r)
    for (int c = 0; c < ColCount(); ++c) SetCells(c, r, Cells(c, r - 1));
  for (int c = 0; c < ColCount(); ++c) SetCells(c, at, "");
  Invalidate();
}

void TAlignGrid::ExchangeRows(int ARow1, int ARow2) {
  if (ARow1 == ARow2) return;
  FProps.ExchangeRows(ARow1, ARow2);
  for (int c = 0; c < ColCount(); ++c) {
    const AnsiString t = Cells(c, ARow1);
    SetCells(c, ARow1, Cells(c, ARow2));
    SetCells(c, ARow2, t);
  }
}

void TAlignGrid::ColumnMoved(int FromIndex, int ToIndex) {
  if (FromIndex == ToIndex) return;
  if (FMovingInserted == 0) FProps.MoveCol(FromIndex, ToIndex);
  TStringGrid::ColumnMoved(FromIndex, ToIndex);
}

void TAlignGrid::RowMoved(int FromIndex, int ToIndex) {
  if (FromIndex == ToIndex) return;
  FProps.MoveRow(FromIndex, ToIndex);
  TStringGrid::RowMoved(FromIndex, ToIndex);
}

void TAlignGrid::ColWidthsChanged() {
  TStringGrid::ColWidthsChanged();
  if (OnColWidthsChanged) OnColWidthsChanged(this);
}

void TAlignGrid::RowHeightsChanged() {
  TStringGrid::RowHeightsChanged();
  if (OnRowHeightsChanged) OnRowHeightsChanged(this);
}

// ---------------------------------------------------------------------------- editing

TInplaceEdit* TAlignGrid::CreateEditor() { return new TNewInplaceEdit(this); }

bool TAlignGrid::CanEditShow() {
  bool result = TStringGrid::CanEditShow();
  TNewInplaceEdit* ed = Editor();
  if (ed && (ed->CellCol != Col() || ed->CellRow != Row())) {
    // The user moved to another cell: a change of the cell left is reported.
    if (ed->CellCol >= 0 && ed->CellRow >= 0 && ed->TakeChange())
      ::PostMessageW(Handle(), WM_ALIGNGRID_AFTEREDIT, static_cast<WPARAM>(ed->CellCol), ed->CellRow);
    ed->Started = false;
  }
  if (!HasState(csDesigning)) result = result && CellEditable(Col(), Row());
  if (result) {
    if (ed) {
      ed->SetAlignment(CellAlignment(Col(), Row()));
      ed->Font()->Assign(CellFont(Col(), Row()));
      ed->SetColor(CellColor(Col(), Row()));
      ed->CellCol = Col();
      ed->CellRow = Row();
      if (!ed->Started) {
        Perform(WM_ALIGNGRID_BEFOREEDIT, static_cast<WPARAM>(Col()), Row());
        ed->Started = true;
        ed->EditStartText = Cells(Col(), Row());
      }
    }
  } else {
    if (ed) ed->CellCol = ed->CellRow = -1;
    if (EditorMode()) HideEditor();
  }
  return result;
}

void TAlignGrid::ShowCellEditor() {
  if (!Options().Contains(goEditing)) return;
  ShowEditor();
  FEditStarted = true;
}

void TAlignGrid::NextCell(T_nextcell Order, t_lastcell LastCell, int& ACol, int& ARow) {
  TNav nav(*this);
  ::NextCell(nav, Order, LastCell, ACol, ARow);
}

void TAlignGrid::NextEditableCell(int& ACol, int& ARow) {
  TNav nav(*this);
  ::NextEditableCell(nav, NextCellEdit, AfterLastCellEdit, ACol, ARow);
}

void TAlignGrid::AfterEditIfChanged(int ACol, int ARow) {
  TNewInplaceEdit* ed = Editor();
  if (!OnAfterEdit || ACol < 0 || ARow < 0 || !ed) return;
  if (ed->TakeChange()) OnAfterEdit(this, ACol, ARow);
}

void TAlignGrid::KeyDown(WORD& Key, TShiftState Shift) {
  if (Key != VK_TAB && Key != VK_RETURN && Key != VK_LEFT && Key != VK_RIGHT) {
    TStringGrid::KeyDown(Key, Shift);
    return;
  }
  T_nextcell order = Key == VK_LEFT ? nc_leftdown : Key == VK_RIGHT ? nc_rightdown : NextCellTab;
  if (Shift.Contains(ssShift)) order = ReversedOrder(order);
  int c = Col(), r = Row();
  TNav nav(*this);
  NextTabCell(nav, order, AfterLastCellTab, c, r);
  SetCol(c);
  SetRow(r);
  Key = 0;
  TStringGrid::KeyDown(Key, Shift);
}

void TAlignGrid::WMChar(TMessage& m) {
  const WPARAM ch = m.WParam;
  if (!Options().Contains(goEditing) || (ch < 32 && ch != 8)) {
    TStringGrid::WMChar(m);
    return;
  }
  ShowEditor();
  if (EditorMode() && InplaceEditor() && InplaceEditor()->HandleAllocated()) {
    ::PostMessageW(InplaceEditor()->Handle(), WM_CHAR, ch, 0);
  } else {
    // A cell that cannot be edited: the character is the grid's own key press.
    char key = CharToKey(ch);
    KeyPress(key);
  }
}

void TAlignGrid::DoExit() {
  TNewInplaceEdit* ed = Editor();
  if (ed && ed->Visible()) {
    FSavedSelStart = ed->SelStart();
    FSavedSelLength = ed->SelLength();
    HideEditor();
    AfterEditIfChanged(Col(), Row());
    FEditStarted = false;
  } else if (ed && FEditStarted && ed->Changed()) {
    AfterEditIfChanged(Col(), Row());
    FEditStarted = false;
  }
  TStringGrid::DoExit();
  if (EditorMode()) HideEditor();
}

void TAlignGrid::WndProc(TMessage& m) {
  const int col = static_cast<int>(m.WParam);
  const int row = static_cast<int>(m.LParam);
  switch (m.Msg) {
    case WM_ALIGNGRID_CANCEL:
      if (OnCancelEdit && col >= 0 && row >= 0) OnCancelEdit(this, col, row);
      return;
    case WM_ALIGNGRID_ENTER: {
      AfterEditIfChanged(col, row);
      if (AutoEditNextCell && col >= 0 && row >= 0) {
        int c = Col(), r = Row();
        NextEditableCell(c, r);
        if (c >= 0 && r >= 0) {
          if (TNewInplaceEdit* ed = Editor()) ed->CellCol = ed->CellRow = -1;
          SetCol(c);
          SetRow(r);
          ShowCellEditor();
        }
      }
      return;
    }
    case WM_ALIGNGRID_AFTEREDIT:
      if (OnAfterEdit && col >= 0 && row >= 0) OnAfterEdit(this, col, row);
      return;
    case WM_ALIGNGRID_BEFOREEDIT:
      if (OnBeforeEdit && col >= 0 && row >= 0) OnBeforeEdit(this, col, row);
      return;
    case WM_ALIGNGRID_REOPEN:
      ShowEditor();
      FEditStarted = true;
      if (TNewInplaceEdit* ed = Editor(); ed && ed->HandleAllocated()) {
        ed->SetSelStart(FSavedSelStart);
        ed->SetSelLength(FSavedSelLength);
      }
      return;
    default: TStringGrid::WndProc(m);
  }
}

// ---------------------------------------------------------------------------- streaming

namespace {
const std::initializer_list<const char*> kAlignNames = {"al_Right", "al_Left", "al_Center"};
const std::initializer_list<const char*> kNextCellNames = {"nc_rightdown", "nc_downright", "nc_leftdown",
                                                           "nc_downleft",  "nc_leftup",    "nc_upleft",
                                                           "nc_rightup",   "nc_upright"};
const std::initializer_list<const char*> kLastCellNames = {"lc_stop", "lc_first", "lc_newcolrow"};
}  // namespace

void TAlignGrid::DefinePublished(TPublishedProperties& P) {
  TStringGrid::DefinePublished(P);
  P.AddEnumeration("Alignment", kAlignNames, this, &TAlignGrid::Alignment, &TAlignGrid::SetAlignment)
      .Default(al_Left);
  P.AddBoolean("Editable", this, &TAlignGrid::Editable, &TAlignGrid::SetEditable).Default(true);
  P.AddInteger("FixedColor", this, &TCustomGrid::FixedColor, &TCustomGrid::SetFixedColor).Default(clBtnFace);
  P.AddBoolean("ShowCellHints", this, &TAlignGrid::ShowCellHints, &TAlignGrid::SetShowCellHints).Default(true);
  P.AddInteger("SelectedCellColor", this, &TAlignGrid::SelectedCellColor, &TAlignGrid::SetSelectedCellColor)
      .Default(clActiveCaption);
  P.AddInteger("SelectedFontColor", this, &TAlignGrid::SelectedFontColor, &TAlignGrid::SetSelectedFontColor)
      .Default(clWhite);
  P.AddBoolean("AutoEditNextCell", [this] { return AutoEditNextCell; }, [this](bool v) { AutoEditNextCell = v; })
      .Default(false);
  P.AddEnumeration("NextCellEdit", kNextCellNames, [this] { return int64_t{NextCellEdit}; },
                   [this](int64_t v) { NextCellEdit = static_cast<T_nextcell>(v); })
      .Default(nc_rightdown);
  P.AddEnumeration("NextCellTab", kNextCellNames, [this] { return int64_t{NextCellTab}; },
                   [this](int64_t v) { NextCellTab = static_cast<T_nextcell>(v); })
      .Default(nc_rightdown);
  P.AddEnumeration("AfterLastCellEdit", kLastCellNames, [this] { return int64_t{AfterLastCellEdit}; },
                   [this](int64_t v) { AfterLastCellEdit = static_cast<t_lastcell>(v); })
      .Default(lc_newcolrow);
  P.AddEnumeration("AfterLastCellTab", kLastCellNames, [this] { return int64_t{AfterLastCellTab}; },
                   [this](int64_t v) { AfterLastCellTab = static_cast<t_lastcell>(v); })
      .Default(lc_first);
  P.AddBoolean("DrawSelection", [this] { return DrawSelection; }, [this](bool v) { DrawSelection = v; })
      .Default(true);
}

void TAlignGrid::DefineProperties(TFiler& Filer) {
  TStringGrid::DefineProperties(Filer);
  TAlignGridStreamContext context;
  context.ColCount = ColCount();
  context.RowCount = RowCount();
  context.CellText = [this](int c, int r) { return Cells(c, r); };
  context.NewBrush = NewBrush();
  context.Notice = FCellChanged;
  DefineAlignGridProperties(Filer, FProps, context);
}

void TAlignGrid::Loaded() {
  TStringGrid::Loaded();
  if (FProps.LoadedCells.HasData()) {
    for (int c = 0; c < ColCount(); ++c)
      for (int r = 0; r < RowCount(); ++r) {
        const AnsiString* t = FProps.LoadedCells.Find(c, r);
        SetCells(c, r, t ? *t : AnsiString());
      }
    if (!HasState(csDesigning)) FProps.LoadedCells.Clear();
  }
  HideEditor();
}
