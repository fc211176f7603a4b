// Forms: events in their order, position, border styles, client size, names of
// windows, the application and the screen.
#include "UiTest.h"
#include "ui/ExtCtrls.h"
#include "ui/StdCtrls.h"

using namespace uitest;

TEST(Form, EventsOfAFormShownModallyComeInOrder) {
  EventLog log;
  auto* f = new TForm(nullptr);
  f->OnCreate = [&](TObject*) { log.Add("create"); };
  f->OnShow = [&](TObject*) { log.Add("show"); };
  f->OnActivate = [&](TObject*) {
    log.Add("activate");
    ::PostMessageW(f->Handle(), WM_CLOSE, 0, 0);
  };
  f->OnCloseQuery = [&](TObject*, bool&) { log.Add("closequery"); };
  f->OnClose = [&](TObject*, TCloseAction&) { log.Add("close"); };
  f->OnHide = [&](TObject*) { log.Add("hide"); };
  f->OnDestroy = [&](TObject*) { log.Add("destroy"); };
  auto* e = new TEdit(f);
  e->SetParent(f);
  e->OnEnter = [&](TObject*) { log.Add("enter"); };
  f->ShowModal();
  delete f;
  EXPECT_EQ(log.Str(), "create show activate enter closequery close hide destroy");
}

TEST(Form, CreateFormFiresOnCreateOnce) {
  struct Screen1 : TForm {
    int created = 0;
    explicit Screen1(TComponent* owner) : TForm(owner) { OnCreate = [this](TObject*) { ++created; }; }
  };
  std::unique_ptr<Screen1> f(CreateForm<Screen1>(nullptr));
  EXPECT_EQ(f->created, 1);
  f->Show();
  EXPECT_EQ(f->created, 1);
}

TEST(Form, PositionCentresOnTheScreenOrTheHostWindow) {
  RECT work;
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  TForm screenCentred(nullptr);
  screenCentred.SetBounds(0, 0, 300, 200);
  screenCentred.SetPosition(poScreenCenter);
  screenCentred.Show();
  EXPECT_EQ(screenCentred.Left(), work.left + (work.right - work.left - 300) / 2);
  EXPECT_EQ(screenCentred.Top(), work.top + (work.bottom - work.top - 200) / 2);

  TForm host(nullptr);
  host.SetBounds(100, 100, 600, 400);
  host.Show();
  Application->SetHandle(host.Handle());
  TForm onHost(nullptr);
  onHost.SetBounds(0, 0, 200, 100);
  onHost.SetPosition(poMainFormCenter);
  onHost.Show();
  Application->SetHandle(nullptr);
  EXPECT_EQ(onHost.Left() + 100, host.Left() + 300);
  EXPECT_EQ(onHost.Top() + 50, host.Top() + 200);

  TForm designed(nullptr);
  designed.SetBounds(33, 44, 200, 100);
  designed.Show();
  EXPECT_EQ(designed.Left(), 33);
  EXPECT_EQ(designed.Top(), 44);
}

TEST(Form, BorderStylesGiveTheirWindowStyles) {
  struct Case {
    TFormBorderStyle style;
    DWORD has, hasNot;
  };
  const Case cases[] = {
      {bsSizeable, WS_THICKFRAME | WS_CAPTION | WS_MAXIMIZEBOX, 0},
      {bsDialog, WS_CAPTION | WS_SYSMENU, WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX},
      {bsSingle, WS_CAPTION | WS_MINIMIZEBOX, WS_THICKFRAME},
      {bsNone, WS_POPUP, WS_CAPTION},
  };
  for (const Case& c : cases) {
    TForm f(nullptr);
    f.SetBorderStyle(c.style);
    DWORD style = static_cast<DWORD>(::GetWindowLongW(f.Handle(), GWL_STYLE));
    EXPECT_EQ(style & c.has, c.has) << c.style;
    EXPECT_EQ(style & c.hasNot, 0u) << c.style;
  }
}

TEST(Form, ClientSizeBeforeAndAfterTheWindow) {
  TForm f(nullptr);
  f.SetBorderStyle(bsDialog);
  f.SetClientWidth(300);
  f.SetClientHeight(300);
  int w = f.Width(), h = f.Height();
  EXPECT_GT(w, 300);
  EXPECT_GT(h, 300);
  f.Show();
  EXPECT_EQ(f.ClientWidth(), 300);
  EXPECT_EQ(f.ClientHeight(), 300);
  EXPECT_EQ(f.Width(), w);
}

TEST(Form, CaptionIsTheWindowTitleInChinese) {
  TForm f(nullptr);
  f.SetCaption("VIP会员发卡");
  f.Show();
  wchar_t buf[64] = {};
  ::GetWindowTextW(f.Handle(), buf, 64);
  EXPECT_STREQ(buf, L"VIP会员发卡");
  f.SetCaption("盘点单");
  EXPECT_EQ(f.Caption(), "盘点单");
}

TEST(Form, WindowsCarryTheirNamesAlsoWhenRenamed) {
  TForm f(nullptr);
  auto* e = new TEdit(&f);
  e->SetParent(&f);
  e->SetName("edtPass");
  f.Show();
  EXPECT_EQ(FindByName(f.Handle(), "edtPass"), e->Handle());
  e->SetName("edtPassAg");
  EXPECT_EQ(FindByName(f.Handle(), "edtPass"), nullptr);
  EXPECT_EQ(FindByName(f.Handle(), "edtPassAg"), e->Handle());
}

TEST(Form, DoubleClickAndEnterBothReachTheEdit) {
  // The warehouse field picks on double-click and whenever it is entered.
  TForm f(nullptr);
  auto* first = new TEdit(&f);
  first->SetParent(&f);
  auto* stock = new TEdit(&f);
  stock->SetParent(&f);
  stock->SetTop(40);
  int picks = 0;
  stock->OnDblClick = [&](TObject*) { ++picks; };
  stock->OnEnter = [&](TObject*) { ++picks; };
  f.Show();
  Settle();
  ::PostMessageW(stock->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ::PostMessageW(stock->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ::PostMessageW(stock->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  ::PostMessageW(stock->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  Pump();
  EXPECT_EQ(picks, 2);  // entered by the first click, then the double-click
}

TEST(Form, MouseEventsCarryButtonShiftAndPosition) {
  TForm f(nullptr);
  auto* p = new TPanel(&f);
  p->SetParent(&f);
  EventLog log;
  p->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    log.Add("down" + std::to_string(b) + (s.Contains(ssCtrl) ? "c" : "") + "@" + std::to_string(x) + "," +
            std::to_string(y));
  };
  p->OnMouseUp = [&](TObject*, TMouseButton b, TShiftState, int x, int y) {
    log.Add("up" + std::to_string(b) + "@" + std::to_string(x) + "," + std::to_string(y));
  };
  p->OnClick = [&](TObject*) { log.Add("click"); };
  f.Show();
  Settle();
  ::SendMessageW(p->Handle(), WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, MAKELPARAM(7, 3));
  ::SendMessageW(p->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(7, 3));
  ::SendMessageW(p->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  ::SendMessageW(p->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(log.Str(), "down1c@7,3 up1@7,3 down0@2,2 up0@2,2 click");
}

TEST(ApplicationObject, ExeNameIsTheRunningProgram) {
  AnsiString exe = Application->ExeName();
  EXPECT_NE(exe.find("ui_tests.exe"), AnsiString::npos);
  EXPECT_EQ(exe.find('/'), AnsiString::npos);
}

TEST(ApplicationObject, ScreenCursorAndActiveForm) {
  TForm f(nullptr);
  f.Show();
  Settle();
  EXPECT_EQ(Screen->ActiveForm(), &f);
  Screen->SetCursor(crHourGlass);
  EXPECT_EQ(::GetCursor(), CursorHandle(crHourGlass));
  Screen->SetCursor(crDefault);
  EXPECT_EQ(Screen->Cursor(), crDefault);
  EXPECT_GT(Screen->Width(), 0);
}

TEST(ApplicationObject, FormsOwnedByTheApplicationAreFreedWithIt) {
  int before = Application->ComponentCount();
  auto* f = new TForm(Application);
  EXPECT_EQ(Application->ComponentCount(), before + 1);
  delete f;
  EXPECT_EQ(Application->ComponentCount(), before);
}
