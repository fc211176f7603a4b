// The pick edit and the maroon panel.
#include "controls/QevComponets.h"

#include <algorithm>

#include "ui/GdiScopes.h"

// ============================================================================ pick button

void TPickButton::Paint() {
  TSpeedButton::Paint();
  TRect r = ClientRect();
  r.Left += 3, r.Top += 3, r.Right -= 3, r.Bottom -= 3;
  if (State() == bsDown) r.Left += 1, r.Top += 1, r.Right += 1, r.Bottom += 1;
  Canvas()->DrawFocusRect(r);
}

namespace {

// The default pick glyph, 12 x 12: a small down-pointing triangle over a bar.
void DefaultPickGlyph(TBitmap& b) {
  b.SetSize(12, 12);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clFuchsia);  // the bottom-left pixel's colour is transparent
  c->FillRect(Rect(0, 0, 12, 12));
  c->Pen()->SetColor(clBlack);
  for (int i = 0; i < 4; ++i) {
    c->MoveTo(2 + i, 3 + i);
    c->LineTo(10 - i, 3 + i);
  }
  c->MoveTo(2, 9);
  c->LineTo(10, 9);
}

}  // namespace

TCPickButton::TCPickButton(TComponent* AOwner) : TWinControl(AOwner) {
  // A framed, opaque window that holds no controls of the form and has no caption.
  SetControlStyle(ControlStyle() - TControlStyle{csAcceptsControls, csSetCaption} + TControlStyle{csFramed, csOpaque});
  SetTabStop(false);
  FButton = new TPickButton(this);
  FButton->SetParent(this);
  FButton->OnClick = [this](TObject*) {
    if (OnDownClick) OnDownClick(this);
  };
  // A press on the button focuses the edit (or the container) first.
  FButton->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState, int, int) {
    if (b != mbLeft) return;
    if (FocusControl && FocusControl->TabStop() && FocusControl->CanFocus() && !FocusControl->Focused())
      FocusControl->SetFocus();
    else if (TabStop() && CanFocus() && !Focused())
      SetFocus();
  };
  SetDownGlyph(nullptr);
  SetBounds(0, 0, 20, 25);
}

void TCPickButton::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.Style |= WS_CLIPSIBLINGS;
}

void TCPickButton::SetDownGlyph(TBitmap* b) {
  if (b) {
    FButton->SetGlyph(b);
  } else {
    TBitmap glyph;
    DefaultPickGlyph(glyph);
    FButton->SetGlyph(&glyph);
  }
  FButton->Invalidate();
}

void TCPickButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const bool loading = Owner() && Owner()->HasState(csLoading);
  if (!loading) AWidth = std::max(AWidth, 15);
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FButton) FButton->SetBounds(0, 0, Width(), Height());
}

// The container hands the focus on to the edit it sits in.
void TCPickButton::WMSetFocus(TMessage& m) {
  TWinControl::WMSetFocus(m);
  if (TWinControl* p = Parent(); p && p->CanFocus()) p->SetFocus();
}

void TCPickButton::WndProc(TMessage& m) {
  // Alt+Down and nothing else held (Alt+Shift+Down is no click). The key comes here as
  // the window's own message whether it was sent or went through the loop, so it clicks
  // once either way.
  if (m.Msg == WM_SYSKEYDOWN && m.WParam == VK_DOWN && KeyDataToShiftState(m.LParam) == TShiftState{ssAlt}) {
    FButton->Click();
    m.Result = 0;
    return;
  }
  TWinControl::WndProc(m);
}

// ============================================================================ pick edit

TQevPickEditClass::TQevPickEditClass(TComponent* AOwner) : TCustomEdit(AOwner), FButton(nullptr), FLine(nullptr) {
  TCPickButton* button = new TCPickButton(this);
  FButton = button;
  FButton->SetBounds(0, 0, 15, 17);
  FButton->SetVisible(true);
  FButton->SetParent(this);
  FButton->FocusControl = this;
  FLine = new TShape(this);
  FLine->SetParent(this);
  FLine->SetBounds(0, Height() - 1, Width(), 1);
  SetControlStyle(ControlStyle() - TControlStyle{csSetCaption});
  SetText("");
}

void TQevPickEditClass::DefinePublished(TPublishedProperties& P) {
  TCustomEdit::DefinePublished(P);
  published::Anchors(P, this);
  P.AddBoolean("AutoSelect", this, &TQevPickEditClass::AutoSelect, &TQevPickEditClass::SetAutoSelect).Default(1);
  P.AddBoolean("ButtonEnabled", this, &TQevPickEditClass::ButtonEnabled, &TQevPickEditClass::SetButtonEnabled)
      .Default(1);
  published::BoolField(P, "EditorEnabled", EditorEnabled).Default(1);
  published::Enabled(P, this);
  P.AddClass("Font", [this]() -> TPersistent* { return &FFontProperties; });
  P.AddInteger("MaxLength", this, &TQevPickEditClass::MaxLength, &TQevPickEditClass::SetMaxLength);
  published::ParentFont(P, this);
  published::ParentShowHint(P, this);
  P.AddBoolean("ReadOnly", this, &TQevPickEditClass::ReadOnly, &TQevPickEditClass::SetReadOnly);
  published::ShowHint(P, this);
  published::TabOrder(P, this);
  published::TabStop(P, this).Default(1);
  P.AddString("Text", [this] { return Text(); }, [this](const AnsiString& v) { SetText(v); });
  published::Visible(P, this);
}

void TCPickButton::DefinePublished(TPublishedProperties& P) {
  TWinControl::DefinePublished(P);
  published::Align(P, this);
  published::Anchors(P, this);
  P.AddClass("Btn", [this]() -> TPersistent* { return FButton; });
  P.AddInteger("DownNumGlyphs", this, &TCPickButton::DownNumGlyphs, &TCPickButton::SetDownNumGlyphs).Default(1);
  published::Enabled(P, this);
  published::ParentShowHint(P, this);
  published::ShowHint(P, this);
  published::TabOrder(P, this);
  published::TabStop(P, this).Default(0);
  published::Visible(P, this);
}

void TQevPickEditClass::CreateParams(TCreateParams& p) {
  TCustomEdit::CreateParams(p);
  p.Style |= WS_CLIPCHILDREN | ES_MULTILINE;  // a formatting rectangle needs a multi-line edit
}

void TQevPickEditClass::CreateHandle() {
  TCustomEdit::CreateHandle();
  SetEditRect();
}

int TQevPickEditClass::MinHeight() {
  HDC dc = ::GetDC(nullptr);
  TEXTMETRICW sys{}, own{};
  ::GetTextMetricsW(dc, &sys);
  {
    ui_win::Selected font(dc, Font()->Handle());
    ::GetTextMetricsW(dc, &own);
  }
  ::ReleaseDC(nullptr, dc);
  return std::min<int>(sys.tmHeight, own.tmHeight) / 4 + own.tmHeight + 2;
}

void TQevPickEditClass::SetEditRect() {
  if (!HandleAllocated()) return;
  RECT cur;
  ::SendMessageW(FHandle, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&cur));
  const TRect client = ClientRect();
  RECT r{1, 1, client.Right - 2 - (FButton->Visible() ? FButton->Width() : 0), client.Bottom + 1};
  ::SendMessageW(FHandle, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

void TQevPickEditClass::Layout() {
  if (FInLayout || !FButton || !FLine) return;
  struct Guard {
    bool& f;
    ~Guard() { f = false; }
  } guard{FInLayout = true};
  // Below the minimum height the edit grows to it once; when something holds it lower
  // (an alignment in a small parent), it is laid out at the height it has instead of
  // resizing again without end.
  if (Height() < MinHeight() && !FGrowing) {
    FInLayout = false;
    FGrowing = true;
    SetHeight(MinHeight());
    FGrowing = false;
    if (Height() >= MinHeight()) return;
    FInLayout = true;
  }
  if (FButton->Visible()) {
    const int w = FButton->Width();
    if (BorderStyle() == bsSingle) {
      FButton->SetBounds(Width() - w - 5, 0, w, Height() - 5);
      FLine->SetVisible(false);
    } else {
      FButton->SetBounds(Width() - w, 1, w, Height() - 2);
      FLine->SetTop(Height() - 2);
    }
    SetEditRect();
    FLine->SetBounds(FLine->Left(), Height() - 1, Width() - w - 3, 1);
  } else {
    FButton->SetTop(Height() + 10);
    SetEditRect();
    FLine->SetBounds(FLine->Left(), Height() - 1, Width(), 1);
  }
}

void TQevPickEditClass::BoundsChanged(bool sized) {
  TCustomEdit::BoundsChanged(sized);
  Layout();
}

void TQevPickEditClass::WndProc(TMessage& m) {
  // Cutting and pasting change the text only where the user may edit it.
  if ((m.Msg == WM_CUT || m.Msg == WM_PASTE) && (!EditorEnabled || ReadOnly())) {
    m.Result = 0;
    return;
  }
  // One line of text: the multi-line style only gives the edit its formatting rectangle.
  if (m.Msg == WM_CHAR && (m.WParam == '\r' || m.WParam == '\n' || m.WParam == '\t')) {
    m.Result = 0;
    return;
  }
  // Mended: a multi-line edit claims every key, so Tab and Shift+Tab never left the edit,
  // and Esc in it posted WM_CLOSE to its parent (a group box was destroyed). It claims what
  // a one-line edit claims (characters and arrows), so Tab, Enter and Esc go to the form,
  // and the window's own handling of Tab and Esc (a dialog's multi-line edit moving the
  // focus or closing its parent) is never reached.
  if (m.Msg == WM_KEYDOWN && (m.WParam == VK_TAB || m.WParam == VK_ESCAPE)) {
    m.Result = 0;
    return;
  }
  TCustomEdit::WndProc(m);
  if (m.Msg == WM_GETDLGCODE) m.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
}

void TQevPickEdit::SetButtonVisible(bool v) {
  if (v == ButtonContainer()->Visible()) return;
  ButtonContainer()->SetVisible(v);
  SetEditRect();
}

void TQevPickEdit::DefinePublished(TPublishedProperties& P) {
  TQevPickEditClass::DefinePublished(P);
  P.AddInteger("BottomLineColor", this, &TQevPickEdit::BottomLineColor, &TQevPickEdit::SetBottomLineColor);
  P.AddEnumeration("BorderStyle", {"bsNone", "bsSingle"}, this, &TQevPickEdit::BorderStyle,
                   &TQevPickEdit::SetBorderStyle)
      .Default(bsSingle);
  P.AddInteger("Color", this, &TControl::Color, &TControl::SetColor).Default(clWindow);
  published::ParentColor(P, this).Default(0);
  P.AddBoolean("ButtonVisible", this, &TQevPickEdit::ButtonVisible, &TQevPickEdit::SetButtonVisible).Default(1);
}

constexpr TColor kMaroonPanelColor = 0xD2DCDD;

TPXMaroonPanel::TPXMaroonPanel(TComponent* AOwner) : TCustomPanel(AOwner) {
  SetAlign(alBottom);
  SetColor(kMaroonPanelColor);
}

void TPXMaroonPanel::DefinePublished(TPublishedProperties& P) {
  TCustomPanel::DefinePublished(P);
  published::Align(P, this);
  P.AddEnumeration("Alignment", {"taLeftJustify", "taRightJustify", "taCenter"}, this, &TPXMaroonPanel::Alignment,
                   &TPXMaroonPanel::SetAlignment);
  published::Anchors(P, this);
  P.AddInteger("Color", this, &TControl::Color, &TControl::SetColor);
  published::Enabled(P, this);
  P.AddBoolean("FullRepaint", this, &TPXMaroonPanel::FullRepaint, &TPXMaroonPanel::SetFullRepaint);
  P.AddClass("Font", [this]() -> TPersistent* { return &FFontProperties; });
  published::ParentFont(P, this);
  published::ParentShowHint(P, this);
  published::ShowHint(P, this);
  published::TabOrder(P, this);
  published::TabStop(P, this);
  published::Visible(P, this);
  P.AddEnumeration("Version", {"gvPX", "gvQB"}, this, &TPXMaroonPanel::Version, &TPXMaroonPanel::SetVersion);
  P.AddBoolean("NoPaint", this, &TPXMaroonPanel::NoPaint, &TPXMaroonPanel::SetNoPaint);
}

void TPXMaroonPanel::SetNoPaint(bool v) {
  FNoPaint = v;
  Invalidate();
}

void TPXMaroonPanel::SetVersion(TZelvoVersion v) {
  if (v == FVersion) return;
  FVersion = v;
  SetColor(v == gvPX ? kMaroonPanelColor : clBtnFace);
}

// Replaces the panel's own painting: no bevel, no caption.
void TPXMaroonPanel::Paint() {
  if (FNoPaint) return;
  TCanvas* cv = Canvas();
  const TRect r = ClientRect();
  cv->Brush()->SetColor(Color());
  cv->Brush()->SetStyle(bsSolid);
  cv->FillRect(r);
  cv->Pen()->SetColor(clGray);
  cv->MoveTo(r.Left, r.Bottom);
  cv->LineTo(r.Left, r.Top);
  cv->LineTo(r.Right, r.Top);
  cv->Pen()->SetColor(clWhite);
  cv->MoveTo(r.Right - 1, r.Top);
  cv->LineTo(r.Right - 1, r.Bottom - 1);
  cv->LineTo(r.Left, r.Bottom - 1);
  cv->Pen()->SetColor(clBlack);
  cv->MoveTo(r.Left + 1, r.Top + 1);
  cv->LineTo(r.Right - 1, r.Top + 1);
}
