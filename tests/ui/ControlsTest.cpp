// Combo and list boxes, check box, page control, rich edit, date picker, speed button,
// shapes, image list and hints.
#include "UiTest.h"
#include "ui/Buttons.h"
#include "ui/ComCtrls.h"
#include "ui/ExtCtrls.h"
#include "ui/ImgList.h"
#include "ui/StdCtrls.h"

using namespace uitest;

namespace {

struct HostForm {
  TForm form{nullptr};
  HostForm() { form.SetBounds(60, 60, 500, 400); }
  template <typename C>
  C* Add(const char* name, int left, int top) {
    auto* c = new C(&form);
    c->SetName(name);
    c->SetParent(&form);
    c->SetLeft(left);
    c->SetTop(top);
    return c;
  }
  void Show() {
    form.Show();
    Settle();
  }
};

void PostClick(HWND h, int x, int y) {
  ::PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  ::PostMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  Pump();
}

}  // namespace

TEST(ComboBox, ItemsAndIndexLiveInTheObjectUntilTheWindowExists) {
  HostForm h;
  auto* cbb = h.Add<TComboBox>("cbbSex", 10, 10);
  cbb->SetStyle(csDropDownList);
  cbb->Items()->Add("男");
  cbb->Items()->Add("女");
  cbb->SetItemIndex(1);
  EXPECT_FALSE(cbb->HandleAllocated());
  h.Show();
  EXPECT_EQ(::SendMessageW(cbb->Handle(), CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(cbb->ItemIndex(), 1);
  EXPECT_EQ(cbb->Text(), "女");
  EXPECT_EQ(cbb->Items()->Strings(0), "男");
  cbb->Items()->Clear();
  EXPECT_EQ(cbb->Items()->Count(), 0);
  EXPECT_EQ(cbb->ItemIndex(), -1);
}

TEST(ComboBox, ObjectsTravelWithTheirItems) {
  HostForm h;
  auto* cbb = h.Add<TComboBox>("cbbCardType", 10, 10);
  TObject tag1, tag2;
  cbb->Items()->AddObject("金卡", &tag1);
  h.Show();
  cbb->Items()->AddObject("银卡", &tag2);
  EXPECT_EQ(cbb->Items()->Objects(0), &tag1);
  EXPECT_EQ(cbb->Items()->Objects(1), &tag2);
  cbb->DestroyHandle();
  EXPECT_EQ(cbb->Items()->Objects(1), &tag2);
  EXPECT_EQ(cbb->Items()->Strings(1), "银卡");
}

TEST(ComboBox, KeyboardSelectionFiresClickThenChange) {
  HostForm h;
  auto* cbb = h.Add<TComboBox>("cbbEfullname", 10, 10);
  cbb->SetStyle(csDropDownList);
  cbb->Items()->SetText("张三\r\n李四\r\n");
  EventLog log;
  cbb->OnClick = [&](TObject*) { log.Add("click:" + std::to_string(cbb->ItemIndex())); };
  cbb->OnChange = [&](TObject*) { log.Add("change:" + cbb->Text()); };
  h.Show();
  Focus(cbb);
  PostKey(VK_DOWN);
  PostKey(VK_DOWN);
  EXPECT_EQ(log.Str(), "click:0 change:张三 click:1 change:李四");
}

TEST(ComboBox, MovingTheBoxKeepsItsDropDownList) {
  HostForm h;
  auto* cbb = h.Add<TComboBox>("cbbCardType", 10, 10);
  for (int i = 0; i < 5; ++i) cbb->Items()->Add("类型" + std::to_string(i));
  h.Show();
  int closed = cbb->Height();
  cbb->SetBounds(20, 30, 200, closed);
  EXPECT_EQ(cbb->Left(), 20);
  EXPECT_EQ(cbb->Width(), 200);
  EXPECT_EQ(cbb->Height(), closed);
  cbb->SetDroppedDown(true);
  COMBOBOXINFO info{sizeof(info)};
  ::GetComboBoxInfo(cbb->Handle(), &info);
  RECT list;
  ::GetWindowRect(info.hwndList, &list);
  EXPECT_GT(list.bottom - list.top, 3 * 12);  // room for several items
  cbb->SetDroppedDown(false);
}

TEST(PageControl, CtrlTabTurnsThePage) {
  HostForm h;
  auto* pgc = h.Add<TPageControl>("pgc1", 10, 10);
  auto* a = new TTabSheet(&h.form);
  a->SetPageControl(pgc);
  auto* b = new TTabSheet(&h.form);
  b->SetPageControl(pgc);
  h.Show();
  Focus(pgc);
  {
    HeldKey ctrl(VK_CONTROL);
    PostKey(VK_TAB);
  }
  EXPECT_EQ(pgc->ActivePage(), b);
}

TEST(ComboBox, EditStyleTextAndFocusTracking) {
  HostForm h;
  auto* cbb = h.Add<TComboBox>("cbbFind", 10, 10);
  auto* other = h.Add<TEdit>("edtOther", 10, 60);
  EventLog log;
  cbb->OnEnter = [&](TObject*) { log.Add("cbb+"); };
  cbb->OnExit = [&](TObject*) { log.Add("cbb-"); };
  int changes = 0;
  cbb->OnChange = [&](TObject*) { ++changes; };
  h.Show();
  Focus(cbb);
  EXPECT_TRUE(cbb->Focused());
  TypeText(L"ab");  // typed into the inner edit, routed to the combo box
  EXPECT_EQ(cbb->Text(), "ab");
  EXPECT_EQ(changes, 2);
  Focus(other);
  EXPECT_EQ(log.Str(), "cbb+ cbb-");
}

TEST(ListBox, ItemsIndexAndClick) {
  HostForm h;
  auto* lb = h.Add<TListBox>("lstGoods", 10, 10);
  lb->Items()->Add("6901");
  h.Show();
  lb->Items()->Add("6902");
  lb->Items()->Insert(0, "6900");
  EXPECT_EQ(lb->Items()->Text(), "6900\r\n6901\r\n6902\r\n");
  int clicks = 0;
  lb->OnClick = [&](TObject*) { ++clicks; };
  lb->SetItemIndex(2);
  EXPECT_EQ(lb->ItemIndex(), 2);
  EXPECT_EQ(clicks, 0);  // set by the program: no click
  PostClick(lb->Handle(), 5, lb->ItemHeight() / 2);
  EXPECT_EQ(lb->ItemIndex(), 0);
  EXPECT_EQ(clicks, 1);
}

TEST(CheckBox, SpaceTogglesAndClickFiresOnEveryChange) {
  HostForm h;
  auto* chk = h.Add<TCheckBox>("chkAll", 10, 10);
  chk->SetCaption("全部(&A)");
  int clicks = 0;
  chk->OnClick = [&](TObject*) { ++clicks; };
  chk->SetChecked(true);  // before the window
  h.Show();
  EXPECT_TRUE(chk->Checked());
  Focus(chk);
  PostKey(VK_SPACE);
  EXPECT_FALSE(chk->Checked());
  PostAltKey('A');
  EXPECT_TRUE(chk->Checked());
  EXPECT_EQ(clicks, 3);
}

TEST(PageControl, PagesTabsAndActivePage) {
  HostForm h;
  auto* pgc = h.Add<TPageControl>("pgc1", 10, 10);
  pgc->SetBounds(10, 10, 300, 200);
  auto* out = new TTabSheet(&h.form);
  out->SetCaption("数据导出   ");
  out->SetPageControl(pgc);
  auto* in = new TTabSheet(&h.form);
  in->SetCaption("数据导入   ");
  in->SetPageControl(pgc);
  auto* edt = new TEdit(&h.form);
  edt->SetParent(in);
  EventLog log;
  pgc->OnChange = [&](TObject*) { log.Add("change:" + std::to_string(pgc->ActivePageIndex())); };
  h.Show();
  EXPECT_EQ(::SendMessageW(pgc->Handle(), TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(pgc->ActivePage(), out);
  EXPECT_TRUE(::IsWindowVisible(out->Handle()));
  EXPECT_FALSE(::IsWindowVisible(in->Handle()));
  pgc->SetActivePageIndex(1);
  EXPECT_TRUE(::IsWindowVisible(in->Handle()));
  EXPECT_FALSE(::IsWindowVisible(out->Handle()));
  EXPECT_EQ(::SendMessageW(pgc->Handle(), TCM_GETCURSEL, 0, 0), 1);
  EXPECT_TRUE(edt->CanFocus());
  // The sheet fills the display area of the tab control.
  EXPECT_GT(in->Top(), 10);
  EXPECT_LT(in->Width(), 300);
  EXPECT_GT(in->Width(), 280);
  // A click on the first tab turns the page as the user sees it.
  RECT tab;
  ::SendMessageW(pgc->Handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab));
  PostClick(pgc->Handle(), (tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
  EXPECT_EQ(pgc->ActivePage(), out);
  EXPECT_EQ(log.Str(), "change:0");
}

TEST(PageControl, RemovingTheActivePageActivatesAnother) {
  HostForm h;
  auto* pgc = h.Add<TPageControl>("pgc1", 10, 10);
  auto* a = new TTabSheet(&h.form);
  a->SetPageControl(pgc);
  auto* b = new TTabSheet(&h.form);
  b->SetPageControl(pgc);
  h.Show();
  EXPECT_EQ(pgc->ActivePage(), a);
  delete a;
  EXPECT_EQ(pgc->PageCount(), 1);
  EXPECT_EQ(pgc->ActivePage(), b);
  EXPECT_EQ(::SendMessageW(pgc->Handle(), TCM_GETITEMCOUNT, 0, 0), 1);
}

TEST(RichEdit, LogAppendsLines) {
  HostForm h;
  auto* log = h.Add<TRichEdit>("redtImport", 10, 10);
  log->SetReadOnly(true);
  log->Lines()->Add("正在分析盘点机导入文件......");
  h.Show();
  log->Lines()->Add("正在导入盘点机文件......");
  log->Lines()->Add("导入盘点机文件成功......");
  ASSERT_EQ(log->Lines()->Count(), 3);
  EXPECT_EQ(log->Lines()->Strings(0), "正在分析盘点机导入文件......");
  EXPECT_EQ(log->Lines()->Strings(2), "导入盘点机文件成功......");
  log->Lines()->Clear();
  EXPECT_EQ(log->Lines()->Count(), 0);
}

TEST(RichEdit, HoldsMoreThanTheSystemDefaultLimit) {
  HostForm h;
  auto* log = h.Add<TRichEdit>("redtImport", 10, 10);
  h.Show();
  std::string line(100, 'x');
  for (int i = 0; i < 400; ++i) log->Lines()->Add(line);
  EXPECT_EQ(log->Lines()->Count(), 400);
}

TEST(DateTimePicker, ValueBeforeAndAfterTheWindowAndChangeNotice) {
  HostForm h;
  auto* dtp = h.Add<TDateTimePicker>("dtpPDTime", 10, 10);
  TDateTime d = EncodeDate(2024, 3, 5);
  dtp->SetDate(d);
  dtp->SetEnabled(false);
  h.Show();
  EXPECT_EQ(DateOf(dtp->DateTime()), d);
  EXPECT_FALSE(::IsWindowEnabled(dtp->Handle()));
  dtp->SetDateTime(EncodeDateTime(2099, 1, 1, 0, 0, 0, 0));
  EXPECT_EQ(YearOf(dtp->Date()), 2099);
  dtp->DestroyHandle();
  EXPECT_EQ(YearOf(dtp->Date()), 2099);
  dtp->SetFormat("yyyy-MM-dd");
  dtp->SetEnabled(true);
  h.form.Show();
  dtp->HandleNeeded();
  int changes = 0;
  dtp->OnChange = [&](TObject*) { ++changes; };
  Focus(dtp);
  PostKey(VK_UP);  // the selected field goes up by one
  PostKey(VK_RIGHT);
  PostKey(VK_UP);
  EXPECT_GE(changes, 1);
  EXPECT_GT(dtp->Date(), EncodeDate(2099, 1, 1));
}

TEST(SpeedButton, ClickedByTheMouseThroughItsParent) {
  HostForm h;
  auto* panel = h.Add<TPanel>("pnlBtn", 0, 0);
  auto* sb = new TSpeedButton(&h.form);
  sb->SetParent(panel);
  sb->SetBounds(20, 5, 40, 22);
  sb->SetCaption("清");
  int clicks = 0;
  sb->OnClick = [&](TObject*) { ++clicks; };
  h.Show();
  PostClick(panel->Handle(), 30, 10);
  EXPECT_EQ(clicks, 1);
  PostClick(panel->Handle(), 100, 10);  // beside it
  EXPECT_EQ(clicks, 1);
  ::PostMessageW(panel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 10));
  ::PostMessageW(panel->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 30));
  ::PostMessageW(panel->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(150, 30));  // released outside
  Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(sb->State(), bsUp);
}

TEST(SpeedButton, GroupedButtonsStayDownOneAtATime) {
  HostForm h;
  auto* a = h.Add<TSpeedButton>("sbA", 10, 10);
  auto* b = h.Add<TSpeedButton>("sbB", 40, 10);
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  h.Show();
  PostClick(h.form.Handle(), 15, 15);
  EXPECT_TRUE(a->Down());
  PostClick(h.form.Handle(), 45, 15);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  PostClick(h.form.Handle(), 45, 15);  // without AllowAllUp it stays down
  EXPECT_TRUE(b->Down());
}

TEST(SpeedButton, FlatButtonKnowsWhenTheMouseIsOverIt) {
  HostForm h;
  auto* sb = h.Add<TSpeedButton>("sbFlat", 10, 10);
  sb->SetFlat(true);
  h.Show();
  ::SendMessageW(h.form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(15, 15));
  EXPECT_TRUE(sb->MouseInControl());
  ::SendMessageW(h.form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(200, 200));
  EXPECT_FALSE(sb->MouseInControl());
}

TEST(Shape, GlyphAndShapeDefaults) {
  HostForm h;
  auto* shp = h.Add<TShape>("shpTitle", 10, 16);
  EXPECT_EQ(shp->Shape(), stRectangle);
  EXPECT_EQ(shp->Pen()->Color(), clBlack);
  EXPECT_EQ(shp->Brush()->Color(), clWhite);
  shp->SetShape(stRoundRect);
  shp->Brush()->SetColor(static_cast<TColor>(11921405));
  EXPECT_EQ(shp->Brush()->Color(), 11921405);
}

TEST(ImageList, AddsStripsDrawsAndReturnsPictures) {
  TImageList il(nullptr);
  il.SetSize(12, 12);
  TBitmap strip(24, 12);
  strip.Canvas()->Brush()->SetColor(clRed);
  strip.Canvas()->FillRect(Rect(0, 0, 12, 12));
  strip.Canvas()->Brush()->SetColor(clBlue);
  strip.Canvas()->FillRect(Rect(12, 0, 24, 12));
  EXPECT_EQ(il.Add(&strip, nullptr), 0);
  EXPECT_EQ(il.Count(), 2);
  TBitmap out;
  il.GetBitmap(1, &out);
  EXPECT_EQ(out.PixelRGB(5, 5), 0x0000FFu);
  TBitmap target(20, 20);
  il.Draw(target.Canvas(), 4, 4, 0);
  EXPECT_EQ(target.PixelRGB(8, 8), 0xFF0000u);
  EXPECT_THROW(il.Draw(target.Canvas(), 0, 0, 5), EInvalidOperation);
  il.Delete(0);
  EXPECT_EQ(il.Count(), 1);
}

TEST(Hints, ShowHintEventMayChangeTheTextOrRefuse) {
  HostForm h;
  auto* e = h.Add<TEdit>("edtStock", 10, 10);
  e->SetHint("双击选择仓库|详细");
  e->SetShowHint(true);
  h.Show();
  std::string seen;
  TControl* control = nullptr;
  Application->OnShowHint = [&](AnsiString& s, bool& can, THintInfo& info) {
    seen = s;
    control = info.HintControl;
    s = "仓库";
    can = true;
  };
  Application->HintMouseMessage(e, {5, 5});
  EXPECT_EQ(Application->HintControl(), e);
  Application->ActivateHint(e->ClientToScreen({5, 5}));
  EXPECT_EQ(seen, "双击选择仓库");  // the short hint, before the bar
  EXPECT_EQ(control, e);
  ASSERT_NE(Application->HintWindow(), nullptr);
  EXPECT_EQ(Application->HintWindow()->Text(), "仓库");
  EXPECT_TRUE(::IsWindowVisible(Application->HintWindow()->Handle()));
  Application->CancelHint();
  EXPECT_FALSE(::IsWindowVisible(Application->HintWindow()->Handle()));
  Application->OnShowHint = [&](AnsiString&, bool& can, THintInfo&) { can = false; };
  Application->HintMouseMessage(e, {6, 6});
  Application->ActivateHint(e->ClientToScreen({6, 6}));
  EXPECT_FALSE(::IsWindowVisible(Application->HintWindow()->Handle()));
  Application->CancelHint();
  Application->OnShowHint = nullptr;
}

TEST(Hints, ControlWithoutShowHintStartsNoHint) {
  HostForm h;
  auto* e = h.Add<TEdit>("edtPlain", 10, 10);
  e->SetHint("x");
  h.Show();
  Application->HintMouseMessage(e, {5, 5});
  EXPECT_EQ(Application->HintControl(), nullptr);
}

TEST(Hints, ParentShowHintFollowsTheParent) {
  HostForm h;
  auto* p = h.Add<TPanel>("pnl", 0, 0);
  auto* e = new TEdit(&h.form);
  e->SetParent(p);
  EXPECT_FALSE(e->ShowHint());
  p->SetShowHint(true);
  EXPECT_TRUE(e->ShowHint());
  e->SetShowHint(false);
  EXPECT_FALSE(e->ParentShowHint());
}

// Our windows are looked up by handle at every message. A window that is gone is no
// longer found, also when its control kept WM_NCDESTROY to itself and never detached,
// so that a handle the system gives to a new window never leads to the old control; a
// window that is not ours is never found.
TEST(WindowLookup, AWindowThatIsGoneOrNotOursFindsNoControl) {
  struct KeepsItsEnd : TCustomControl {
    using TCustomControl::TCustomControl;
    void WndProc(TMessage& m) override {
      if (m.Msg == WM_NCDESTROY) {
        m.Result = ::DefWindowProcW(Handle(), m.Msg, m.WParam, m.LParam);
        return;
      }
      TCustomControl::WndProc(m);
    }
  };
  HostForm f;
  auto* keeps = f.Add<KeepsItsEnd>("keeps", 10, 10);
  auto* plain = f.Add<TPanel>("plain", 10, 60);
  f.Show();
  const HWND hk = keeps->Handle(), hp = plain->Handle();
  ASSERT_EQ(TWinControl::FindControl(hk), keeps);
  ASSERT_EQ(TWinControl::FindControl(hp), plain);
  ::DestroyWindow(hk);
  ::DestroyWindow(hp);
  EXPECT_FALSE(::IsWindow(hk));
  EXPECT_EQ(TWinControl::FindControl(hk), nullptr);
  EXPECT_EQ(TWinControl::FindControl(hp), nullptr);
  EXPECT_FALSE(plain->HandleAllocated());

  const HWND foreign = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, f.form.Handle(), nullptr,
                                          nullptr, nullptr);
  ASSERT_TRUE(foreign);
  EXPECT_EQ(TWinControl::FindControl(foreign), nullptr);
  ::DestroyWindow(foreign);
}
