// TkwCustomDBGrid: the window and component messages it answers beyond keys, mouse and
// painting: the focus coming back from its in-place editor, the cursor at design time, font changes (the columns'
// default fonts, the title font following the grid's), the timed scroll of a mouse
// selection, the title band after a horizontal scroll, the scroll after the view's
// active record moved, and the free notices of dataset fields and popup menus.
#include "VCLSource/source/PosGrid/ukvDbGrids.h"
#include "VCLSource/source/PosGrid/ukvDbGridsView.h"
#include "VCLSource/source/PosGrid/ukvDbHelperGuards.h"
#include "rtl/Classes.h"
#include "ui/GridDetail.h"

using namespace kw_dbgrid;
using ui_grid_detail::sdDown;
using ui_grid_detail::sdUp;

// Mended: the columns kept a freed field until the next layout, which an update lock
// (a dataset closed between BeginUpdate and EndUpdate) put off past paints that read
// the field for titles and footers. The notice comes from the field's destructor, whose
// own part is gone: it is compared, never asked. The layout is posted, not run here,
// where the dataset is still freeing its fields.
void TkwCustomDBGrid::Notification(TComponent* AComponent, TOperation Operation) {
  TkwCustomGrid::Notification(AComponent, Operation);
  if (Operation != opRemove || !AComponent || !FColumns) return;
  for (int i = 0; i < FColumns->Count(); ++i)
    if (FColumns->Items(i)->PopupMenu() == static_cast<TObject*>(AComponent)) FColumns->Items(i)->SetPopupMenu(nullptr);
  // Mended: the calculator kept a freed field as its current one, and applied its rules
  // by that pointer when the next column became current.
  if (TkvCustomDbDataController* c = Destroying() ? nullptr : DataController())
    c->GetCalculator().FieldFreed(AComponent);
  if (FColumns->FieldRemoved(AComponent) && !Destroying()) {
    BeginLayout();
    DeferLayout();  // releases the lock taken here
  }
}

void TkwCustomDBGrid::WMSetFocus(TMessage& m) {
  const HWND from = reinterpret_cast<HWND>(m.WParam);
  TkwCustomGrid::WMSetFocus(m);
  // Back from the editor (Enter or Esc hid it, a click on the grid took the focus): the
  // editor is repainted. Its text is not read again from the field (what was typed and
  // not yet written would be lost), and the column is not entered again: the column did
  // not change, and OnColEnter without OnColExit would break their pairing.
  TInplaceEdit* editor = InplaceEditor();
  if (!editor || !from || !editor->HandleAllocated() || from != editor->Handle()) return;
  editor->Invalidate();
}

void TkwCustomDBGrid::WMSetCursor(TMessage& m) {
  if (HasState(csDesigning) && FColumns->State() == TkwDBGridColumns::csDefault && !FDataLink->Active()) {
    ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
    m.Result = 1;
    return;
  }
  TkwCustomGrid::WMSetCursor(m);
}

const TkwGridFont& TkwCustomDBGrid::ColumnsFont() {
  TFont* f = Font();
  FColumnsFont.SetName(f->Name());
  FColumnsFont.SetHeight(f->Height());
  FColumnsFont.SetStyle(static_cast<uint8_t>(f->Style().Bits()));
  FColumnsFont.SetColor(f->Color());
  FColumnsFont.SetCharset(f->Charset());
  return FColumnsFont;
}

// The columns' default font is the grid's: every column without a font of its own takes
// the new one, and the grid is laid out once for them all.
void TkwCustomDBGrid::CMFontChanged(TMessage& m) {
  FIndicatorFont = nullptr;  // a new font may have the old one's handle: measured again
  TkwCustomGrid::WndProc(m);
  if (Destroying() || !FColumns) return;
  FColumns->RefreshDefaultFonts();
  if (!HandleAllocated()) return;  // the window's creation lays it out
  BeginLayout();
  TkvFinally end([this] { EndLayout(); });
}

void TkwCustomDBGrid::CMParentFontChanged(TMessage& m) {
  TkwCustomGrid::WndProc(m);
  if (ParentFont()) {
    // The grid sets its title font itself here: that does not end ParentFont.
    TkvFlagScope self(FSelfChangingTitleFont);
    TkwGridFont* title = TitleFont();
    title->SetName(Font()->Name());
    title->SetHeight(Font()->Height());
    title->SetStyle(static_cast<uint8_t>(Font()->Style().Bits()));
    title->SetColor(Font()->Color());
    title->SetCharset(Font()->Charset());
  }
  LayoutChanged();
}

// Mended: titles kept the title font they were made with; those without a font of their
// own take the new one.
void TkwCustomDBGrid::TitleFontChanged() {
  if (!FSelfChangingTitleFont && !HasState(csLoading)) SetParentFont(false);
  if (FColumns)
    for (int i = 0; i < FColumns->Count(); ++i) FColumns->Items(i)->Title()->RefreshDefaultFont();
  if (HasGridOption(FOptions, dgTitles)) LayoutChanged();
  else if (HandleAllocated()) Invalidate();  // the footers are written in the titles' fonts
}

void TkwCustomDBGrid::TimedScroll(unsigned Direction) {
  if (FDataLink->Active() && (Direction & (sdUp | sdDown))) {
    TkwCustomDbGridView& view = DbView();
    const int distance =
        (Direction & sdUp) ? -view.ActiveRecord() - 1 : view.VisibleRowCount() - view.ActiveRecord();
    const int before = view.RecNo();
    view.MoveBy(distance);
    Scroll(view.RecNo() - before);
    Direction &= ~(sdUp | sdDown);
  }
  if (Direction) TkwCustomGrid::TimedScroll(Direction);
}

void TkwCustomDBGrid::Scroll(int Distance) {
  if (!HandleAllocated() || Distance == 0) return;
  UpdateActive();
  UpdateScrollBars();
  Invalidate();
}

void TkwCustomDBGrid::TopLeftChanged() {
  if (HandleAllocated() && FTitleOffset > 0) {
    const TRect last = CellRect(0, FTitleOffset - 1);
    RECT band{0, 0, ClientWidth(), last.Bottom + GridLineWidth()};
    ::InvalidateRect(Handle(), &band, FALSE);
  }
  TkwCustomGrid::TopLeftChanged();
}
