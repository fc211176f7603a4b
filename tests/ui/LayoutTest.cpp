// Alignment and anchors, with and without windows.
#include "UiTest.h"
#include "ui/ExtCtrls.h"
#include "ui/StdCtrls.h"

using namespace uitest;

namespace {

std::string BoundsOf(TControl* c) {
  return std::to_string(c->Left()) + "," + std::to_string(c->Top()) + "," + std::to_string(c->Width()) + "," +
         std::to_string(c->Height());
}

TPanel* NewPanel(TWinControl* parent, TAlign align, int w, int h) {
  auto* p = new TPanel(parent);
  p->SetBounds(0, 0, w, h);
  p->SetParent(parent);
  p->SetAlign(align);
  return p;
}

// A container of our own with a known client area.
struct Box {
  TForm form{nullptr};
  TPanel* box;
  Box() {
    form.SetBounds(0, 0, 800, 600);
    box = new TPanel(&form);
    box->SetBevelOuter(bvNone);
    box->SetParent(&form);
    box->SetBounds(0, 0, 400, 300);
  }
};

}  // namespace

TEST(Layout, TitleBandButtonBandAndClientArea) {
  // The full-screen base form: title band on top, button band at the bottom, the rest.
  Box b;
  TPanel* title = NewPanel(b.box, alTop, 100, 58);
  TPanel* main = NewPanel(b.box, alClient, 10, 10);
  TPanel* buttons = NewPanel(b.box, alBottom, 100, 46);
  EXPECT_EQ(BoundsOf(title), "0,0,400,58");
  EXPECT_EQ(BoundsOf(buttons), "0,254,400,46");
  EXPECT_EQ(BoundsOf(main), "0,58,400,196");
  b.box->SetBounds(0, 0, 500, 400);  // the container grows
  EXPECT_EQ(BoundsOf(title), "0,0,500,58");
  EXPECT_EQ(BoundsOf(buttons), "0,354,500,46");
  EXPECT_EQ(BoundsOf(main), "0,58,500,296");
}

TEST(Layout, EdgesAreTakenInOrderTopBottomLeftRightClient) {
  Box b;
  TPanel* right = NewPanel(b.box, alRight, 50, 10);
  TPanel* left = NewPanel(b.box, alLeft, 40, 10);
  TPanel* top = NewPanel(b.box, alTop, 10, 30);
  TPanel* client = NewPanel(b.box, alClient, 10, 10);
  TPanel* bottom = NewPanel(b.box, alBottom, 10, 20);
  EXPECT_EQ(BoundsOf(top), "0,0,400,30");
  EXPECT_EQ(BoundsOf(bottom), "0,280,400,20");
  EXPECT_EQ(BoundsOf(left), "0,30,40,250");
  EXPECT_EQ(BoundsOf(right), "350,30,50,250");
  EXPECT_EQ(BoundsOf(client), "40,30,310,250");
}

TEST(Layout, SeveralTopPanelsStackByTheirTop) {
  Box b;
  TPanel* second = NewPanel(b.box, alTop, 10, 20);
  second->SetTop(100);
  TPanel* first = NewPanel(b.box, alTop, 10, 30);
  first->SetTop(0);
  b.box->Realign();
  EXPECT_EQ(BoundsOf(first), "0,0,400,30");
  EXPECT_EQ(BoundsOf(second), "0,30,400,20");
}

TEST(Layout, HiddenAlignedControlGivesUpItsSpace) {
  Box b;
  TPanel* top = NewPanel(b.box, alTop, 10, 30);
  TPanel* client = NewPanel(b.box, alClient, 10, 10);
  top->SetVisible(false);
  EXPECT_EQ(BoundsOf(client), "0,0,400,300");
  top->SetVisible(true);
  EXPECT_EQ(BoundsOf(client), "0,30,400,270");
}

TEST(Layout, PanelBevelsAndBorderShrinkTheAreaOfItsChildren) {
  struct Case {
    TPanelBevel outer, inner;
    int border;
    const char* client;
  };
  const Case cases[] = {
      {bvNone, bvNone, 0, "0,0,200,100"},
      {bvRaised, bvNone, 0, "1,1,198,98"},
      {bvLowered, bvLowered, 0, "2,2,196,96"},  // the button band's frame
      {bvLowered, bvLowered, 3, "5,5,190,90"},
  };
  for (const Case& c : cases) {
    Box b;
    TPanel* p = NewPanel(b.box, alNone, 200, 100);
    p->SetBevelOuter(c.outer);
    p->SetBevelInner(c.inner);
    p->SetBorderWidth(c.border);
    TPanel* fill = NewPanel(p, alClient, 1, 1);
    EXPECT_EQ(BoundsOf(fill), c.client);
  }
}

TEST(Layout, AnchorsKeepDistancesToTheRightAndBottom) {
  struct Case {
    TAnchors anchors;
    const char* after;
  };
  const Case cases[] = {
      {{akLeft, akTop}, "300,200,80,25"},
      {{akRight, akBottom}, "400,300,80,25"},
      {{akLeft, akTop, akRight}, "300,200,180,25"},
      {{akLeft, akTop, akRight, akBottom}, "300,200,180,125"},
  };
  for (const Case& c : cases) {
    Box b;
    auto* btn = new TButton(b.box);
    btn->SetParent(b.box);
    btn->SetBounds(300, 200, 80, 25);  // 20 from the right, 75 from the bottom
    btn->SetAnchors(c.anchors);
    b.box->SetBounds(0, 0, 500, 400);
    EXPECT_EQ(BoundsOf(btn), c.after);
  }
}

TEST(Layout, LayoutIsTheSameWithAndWithoutWindows) {
  TForm form(nullptr);
  form.SetBorderStyle(bsDialog);
  form.SetClientWidth(300);
  form.SetClientHeight(300);
  TPanel* top = NewPanel(&form, alTop, 10, 58);
  TPanel* client = NewPanel(&form, alClient, 10, 10);
  std::string before = BoundsOf(top) + " " + BoundsOf(client);
  EXPECT_EQ(before, "0,0,300,58 0,58,300,242");
  form.Show();
  Settle();
  EXPECT_EQ(form.ClientWidth(), 300);
  EXPECT_EQ(form.ClientHeight(), 300);
  EXPECT_EQ(BoundsOf(top) + " " + BoundsOf(client), before);
  RECT r;
  ::GetWindowRect(client->Handle(), &r);
  ::MapWindowPoints(HWND_DESKTOP, form.Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.top, 58);
  EXPECT_EQ(r.bottom - r.top, 242);
}

TEST(Layout, MaximizedFormAlignsToItsRealClientArea) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 696, 480);
  form.SetWindowState(wsMaximized);
  TPanel* client = NewPanel(&form, alClient, 10, 10);
  form.Show();
  Settle();
  RECT cr;
  ::GetClientRect(form.Handle(), &cr);
  EXPECT_GT(cr.right, 696);
  EXPECT_EQ(client->Width(), cr.right);
  EXPECT_EQ(client->Height(), cr.bottom);
}

TEST(Layout, LabelSizesItselfToItsCaption) {
  TForm form(nullptr);
  auto* lbl = new TLabel(&form);
  lbl->SetParent(&form);
  lbl->SetLeft(18);
  lbl->Font()->SetStyle({fsBold});
  lbl->Font()->SetHeight(-16);
  lbl->SetCaption("标题");
  int shortW = lbl->Width();
  lbl->SetCaption("盘点机信息导入导出");
  int longW = lbl->Width();
  EXPECT_GT(shortW, 20);
  EXPECT_GT(longW, shortW * 3);
  EXPECT_GE(lbl->Height(), 16);
  EXPECT_EQ(lbl->Left(), 18);
  lbl->SetCaption("");  // an empty caption still keeps a line's height
  EXPECT_GE(lbl->Height(), 16);
}

TEST(Layout, RightAlignedLabelKeepsItsRightEdge) {
  TForm form(nullptr);
  auto* lbl = new TLabel(&form);
  lbl->SetParent(&form);
  lbl->SetAlignment(taRightJustify);
  lbl->SetCaption("合计");
  int right = lbl->Left() + lbl->Width();
  lbl->SetCaption("零售金额合计");
  EXPECT_EQ(lbl->Left() + lbl->Width(), right);
}

TEST(Layout, ParentFontAndColorFlowDownUntilSetOnTheChild) {
  TForm form(nullptr);
  TPanel* p = NewPanel(&form, alNone, 100, 100);
  auto* lbl = new TLabel(&form);
  lbl->SetParent(p);
  form.Font()->SetName("新宋体");
  EXPECT_EQ(p->Font()->Name(), "新宋体");
  EXPECT_EQ(lbl->Font()->Name(), "新宋体");
  lbl->Font()->SetHeight(-16);  // its own font now
  EXPECT_FALSE(lbl->ParentFont());
  form.Font()->SetName("宋体");
  EXPECT_EQ(lbl->Font()->Name(), "新宋体");
  p->SetColor(static_cast<TColor>(16774889));
  EXPECT_EQ(lbl->Color(), 16774889);
}
