// The maroon panel under Wine: its colours by version and its own frame.
#include "controls/QevComponets.h"
#include "tests/ui/UiTest.h"
#include "ui/Edit.h"
#include "ui/GroupBox.h"

#include <algorithm>
#include <cstring>

using namespace uitest;

TEST(MaroonPanel, BottomAlignedWithItsColourAndVersions) {
  TPXMaroonPanel p(nullptr);
  EXPECT_EQ(p.Align(), alBottom);
  EXPECT_EQ(p.Color(), 0xD2DCDD);
  p.SetVersion(gvQB);
  EXPECT_EQ(p.Color(), clBtnFace);
  p.SetVersion(gvPX);
  EXPECT_EQ(p.Color(), 0xD2DCDD);
  p.SetColor(clRed);
  p.SetVersion(gvPX);  // the same version again leaves the colour
  EXPECT_EQ(p.Color(), clRed);
}

TEST(MaroonPanel, PaintsItsFlatFrameAndNoCaption) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(50, 50, 300, 200);
  auto* p = new TPXMaroonPanel(form.get());
  p->SetParent(form.get());
  p->SetHeight(41);
  p->SetCaption("不画");
  form->Show();
  Settle();
  HDC screen = ::GetDC(p->Handle());
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP bmp = ::CreateCompatibleBitmap(screen, p->Width(), p->Height());
  HGDIOBJ old = ::SelectObject(dc, bmp);
  p->PaintTo(dc, 0, 0);
  const int w = p->Width(), h = p->Height();
  EXPECT_EQ(::GetPixel(dc, 0, h / 2), RGB(0x80, 0x80, 0x80));      // grey left edge
  EXPECT_EQ(::GetPixel(dc, w / 2, 0), RGB(0x80, 0x80, 0x80));      // grey top edge
  EXPECT_EQ(::GetPixel(dc, w / 2, 1), RGB(0, 0, 0));               // black line under it
  EXPECT_EQ(::GetPixel(dc, w - 1, h / 2), RGB(255, 255, 255));     // white right edge
  EXPECT_EQ(::GetPixel(dc, w / 2, h - 1), RGB(255, 255, 255));     // white bottom edge
  EXPECT_EQ(::GetPixel(dc, w / 2, h / 2), RGB(0xDD, 0xDC, 0xD2));  // face, no caption
  p->SetNoPaint(true);
  ::SelectObject(dc, old);
  ::DeleteObject(bmp);
  ::DeleteDC(dc);
  ::ReleaseDC(p->Handle(), screen);
}

// --- the pick edit ----------------------------------------------------------------------------

namespace {

struct PickForm {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  TQevPickEdit* edit;
  TEdit* other;
  EventLog log;
  PickForm() {
    form->SetBounds(80, 80, 300, 160);
    edit = new TQevPickEdit(form.get());
    edit->SetName("edtStock");
    edit->SetParent(form.get());
    edit->SetBounds(10, 10, 121, 20);
    other = new TEdit(form.get());
    other->SetParent(form.get());
    other->SetBounds(10, 60, 100, 21);
    edit->ButtonContainer()->OnDownClick = [this](TObject*) { log.Add("down"); };
  }
  void Show() {
    form->Show();
    Settle();
  }
  // A press and release of the left button on the pick button, as the mouse gives them.
  void ClickButton() {
    HWND h = edit->ButtonContainer()->Handle();
    const LPARAM p = MAKELPARAM(5, 5);
    ::PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, p);
    Pump();
    ::PostMessageW(h, WM_LBUTTONUP, 0, p);
    Pump();
  }
};

std::string Bounds(TControl* c) {
  return std::to_string(c->Left()) + "," + std::to_string(c->Top()) + " " + std::to_string(c->Width()) + "x" +
         std::to_string(c->Height());
}

}  // namespace

TEST(PickEdit, ButtonPlaceWithAndWithoutBorder) {
  PickForm f;
  f.Show();
  EXPECT_EQ(Bounds(f.edit->ButtonContainer()), "101,0 15x15");
  EXPECT_FALSE(f.edit->BottomLine()->Visible());
  f.edit->SetBorderStyle(bsNone);
  f.edit->SetBounds(10, 10, 120, 20);  // the layout follows a resize
  f.edit->SetBounds(10, 10, 121, 20);
  EXPECT_EQ(Bounds(f.edit->ButtonContainer()), "106,1 15x18");
  EXPECT_EQ(f.edit->BottomLine()->Top(), 19);
  EXPECT_EQ(f.edit->BottomLine()->Width(), 103);
  f.edit->SetButtonVisible(false);
  f.edit->SetBounds(10, 10, 120, 20);  // the next resize lays the hidden button out
  f.edit->SetBounds(10, 10, 121, 20);
  EXPECT_EQ(f.edit->ButtonContainer()->Top(), 30);
  EXPECT_EQ(f.edit->BottomLine()->Width(), 121);
}

namespace {
RECT EditRect(TQevPickEdit* e) {
  RECT r{};
  ::SendMessageW(e->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
  return r;
}
}  // namespace

// Hiding or showing the button at run time re-lays the edit rectangle only: the container
// and the line stay where they are until the next resize.
TEST(PickEdit, ButtonVisibleAtRunTimeMovesOnlyTheEditRectangle) {
  PickForm f;
  f.Show();
  const int withButton = EditRect(f.edit).right;
  const int lineWidth = f.edit->BottomLine()->Width();
  f.edit->SetButtonVisible(false);
  EXPECT_FALSE(f.edit->ButtonVisible());
  EXPECT_EQ(EditRect(f.edit).right, withButton + 15);
  EXPECT_EQ(Bounds(f.edit->ButtonContainer()), "101,0 15x15");
  EXPECT_EQ(f.edit->BottomLine()->Width(), lineWidth);
  f.edit->SetButtonVisible(true);
  EXPECT_EQ(EditRect(f.edit).right, withButton);
  EXPECT_EQ(Bounds(f.edit->ButtonContainer()), "101,0 15x15");
}

TEST(PickEdit, ContainerStyleAndItsGlyphReadBack) {
  PickForm f;
  TCPickButton* c = f.edit->ButtonContainer();
  EXPECT_TRUE(c->ControlStyle().Contains(csFramed));
  EXPECT_TRUE(c->ControlStyle().Contains(csOpaque));
  EXPECT_FALSE(c->ControlStyle().Contains(csAcceptsControls));
  EXPECT_FALSE(c->ControlStyle().Contains(csSetCaption));
  EXPECT_FALSE(f.edit->ControlStyle().Contains(csSetCaption));
  EXPECT_FALSE(c->TabStop());
  EXPECT_EQ(c->DownGlyph()->Width(), 12);  // the default glyph
  EXPECT_EQ(c->DownGlyph()->Height(), 12);
  TBitmap own;
  own.SetSize(16, 14);
  c->SetDownGlyph(&own);
  EXPECT_EQ(c->DownGlyph()->Width(), 16);
  c->SetDownGlyph(nullptr);
  EXPECT_EQ(c->DownGlyph()->Width(), 12);
}

// Only Alt+Down clicks the button: with Shift or Ctrl held as well it does nothing; a key
// that comes through the message loop clicks once.
TEST(PickEdit, RegressionAltDownClicksOnceAndOnlyWithAltAlone) {
  PickForm f;
  f.Show();
  BYTE keys[256];
  ::GetKeyboardState(keys);
  const auto post = [&](BYTE extra) {
    BYTE held[256];
    std::memcpy(held, keys, sizeof held);
    if (extra) held[extra] = 0x80;
    ::SetKeyboardState(held);
    ::PostMessageW(f.edit->ButtonContainer()->Handle(), WM_SYSKEYDOWN, VK_DOWN, KeyData(VK_DOWN, false, true));
    Pump();
    ::SetKeyboardState(keys);
  };
  post(VK_SHIFT);
  post(VK_CONTROL);
  EXPECT_EQ(f.log.Str(), "");
  post(0);
  EXPECT_EQ(f.log.Str(), "down");
}

TEST(PickEdit, ButtonClickFiresTheContainersEventUntilAHandlerIsSet) {
  PickForm f;
  f.Show();
  Focus(f.other);
  f.ClickButton();
  EXPECT_EQ(f.log.Str(), "down");
  EXPECT_TRUE(f.edit->Focused());  // the press focused the edit
  f.edit->SetOnButtonClick([&](TObject*) { f.log.Add("button"); });
  f.ClickButton();
  EXPECT_EQ(f.log.Str(), "down button");
  EXPECT_TRUE(static_cast<bool>(f.edit->OnButtonClick()));
}

TEST(PickEdit, PasteIsIgnoredWhenTheEditorIsDisabled) {
  PickForm f;
  f.Show();
  f.edit->SetText("abc");
  ASSERT_TRUE(::OpenClipboard(f.form->Handle()));
  ::EmptyClipboard();
  HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, 8);
  std::memcpy(::GlobalLock(mem), L"xyz", 8);
  ::GlobalUnlock(mem);
  ::SetClipboardData(CF_UNICODETEXT, mem);
  ::CloseClipboard();
  f.edit->EditorEnabled = false;
  ::SendMessageW(f.edit->Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(f.edit->Text(), "abc");
  f.edit->EditorEnabled = true;
  f.edit->SelectAll();
  ::SendMessageW(f.edit->Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(f.edit->Text(), "xyz");
}

TEST(PickEdit, EnterTypesNothingAndAltDownClicksTheButton) {
  PickForm f;
  f.Show();
  Focus(f.edit);
  TypeText(L"ab");
  PostKey(VK_RETURN);
  EXPECT_EQ(f.edit->Text(), "ab");
  ::SendMessageW(f.edit->ButtonContainer()->Handle(), WM_SYSKEYDOWN, VK_DOWN, 1 << 29);
  EXPECT_EQ(f.log.Str(), "down");
}

// A pick edit whose height is held at 10 pixels, as a maximum-height constraint holds it.
class TClampedPickEdit : public TQevPickEdit {
 public:
  using TQevPickEdit::TQevPickEdit;
  int Resizes = 0;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override {
    ++Resizes;
    TQevPickEdit::SetBounds(ALeft, ATop, AWidth, std::min(AHeight, 10));
  }
};

TEST(PickEdit, AHeightHeldBelowTheMinimumIsLaidOutAsItIs) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(80, 80, 300, 160);
  auto* edit = new TClampedPickEdit(form.get());
  edit->SetParent(form.get());
  edit->SetBounds(10, 10, 150, 8);
  form->Show();
  Settle();
  EXPECT_EQ(edit->Height(), 10);
  EXPECT_LE(edit->Resizes, 4);
  EXPECT_EQ(edit->ButtonContainer()->Left(), 150 - 15 - 5);  // laid out at the height it has
}

namespace {
// The control that owns the window with the keyboard focus, by name.
std::string FocusedName() {
  TWinControl* c = TWinControl::FindOwningControl(::GetFocus());
  return c ? std::string(c->Name()) : "none";
}
}  // namespace

// Regression: the edit is a multi-line window (for its edit rectangle), which claims every
// key: Tab and Shift+Tab never left it, and Esc made it post WM_CLOSE to its parent, which
// destroyed the group box it sat in. Tab, Shift+Tab and Esc now work as in any edit.
TEST(PickEdit, RegressionTabShiftTabAndEscWorkAsInAnyEdit) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(80, 80, 320, 180);
  auto* before = new TEdit(form.get());
  before->SetName("edtBefore");
  before->SetParent(form.get());
  before->SetBounds(10, 10, 100, 21);
  auto* group = new TGroupBox(form.get());
  group->SetName("grp1");
  group->SetParent(form.get());
  group->SetBounds(10, 40, 280, 60);
  auto* pick = new TQevPickEdit(form.get());
  pick->SetName("edtPick");
  pick->SetParent(group);
  pick->SetBounds(10, 20, 150, 21);
  auto* after = new TEdit(form.get());
  after->SetName("edtAfter");
  after->SetParent(form.get());
  after->SetBounds(10, 110, 100, 21);
  EventLog closes;
  form->OnClose = [&](TObject*, TCloseAction&) { closes.Add("close"); };
  form->Show();
  Settle();
  const HWND groupWindow = group->Handle(), pickWindow = pick->Handle();
  Focus(pick);
  TypeText(L"ab");
  std::string seen = FocusedName();
  PostKey(VK_TAB);
  seen += " " + FocusedName();
  {
    HeldKey shift(VK_SHIFT);
    PostKey(VK_TAB);
    seen += " " + FocusedName();
    PostKey(VK_TAB);
    seen += " " + FocusedName();
  }
  PostKey(VK_TAB);
  seen += " " + FocusedName();
  PostKey(VK_ESCAPE);
  seen += " " + FocusedName();
  EXPECT_EQ(seen, "edtPick edtAfter edtPick edtBefore edtPick edtPick");
  EXPECT_TRUE(::IsWindow(groupWindow));
  ASSERT_TRUE(::IsWindow(pickWindow));
  EXPECT_EQ(pick->Text(), "ab");  // no tab typed
  EXPECT_EQ(closes.Str(), "");
}
