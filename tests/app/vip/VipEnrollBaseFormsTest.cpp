// The form bases the VIP card screen stands on: their settings, the title band, and the
// title plate fitted to the title by SetTitle.
#include "tests/controls/ControlTestUtil.h"

#include "app/ParentDia.h"
#include "app/ParentForm.h"

TEST(FormBases, PlainBase) {
  std::unique_ptr<TfrmBase> f(CreateForm<TfrmBase>(nullptr));
  EXPECT_EQ(f->Caption(), "frmBase");
  EXPECT_EQ(f->Width(), 696);
  EXPECT_EQ(f->Height(), 480);
  EXPECT_EQ(f->Position(), poMainFormCenter);
  EXPECT_EQ(f->Font()->Name(), "MS Sans Serif");
  EXPECT_EQ(f->Font()->Height(), -11);
}

TEST(FormBases, FullScreenBaseHasItsBands) {
  std::unique_ptr<TParentfrm> f(CreateForm<TParentfrm>(nullptr));
  EXPECT_EQ(f->Caption(), "Parentfrm");
  EXPECT_EQ(f->WindowState(), wsMaximized);
  EXPECT_EQ(f->pnlTitle->Align(), alTop);
  EXPECT_EQ(f->pnlTitle->Height(), 58);
  EXPECT_EQ(f->pnlTitle->BevelOuter(), bvNone);
  EXPECT_EQ(f->pnlTitle->Color(), 16774889);
  EXPECT_EQ(f->pnlBtn->Align(), alBottom);
  EXPECT_EQ(f->pnlBtn->Height(), 46);
  EXPECT_EQ(f->pnlBtn->BevelInner(), bvLowered);
  EXPECT_EQ(f->pnlBtn->BevelOuter(), bvLowered);
  EXPECT_EQ(f->pnlMain->Align(), alClient);
  EXPECT_EQ(f->shpTitle->Brush()->Color(), 11921405);
  EXPECT_EQ(f->shpTitle->Shape(), stRoundRect);
  EXPECT_EQ(f->shpBack->Brush()->Color(), clBlack);
  EXPECT_EQ(f->shpBack->Parent(), f->pnlTitle);
  EXPECT_EQ(f->lblTitle->Caption(), "标题");
  EXPECT_EQ(f->lblTitle->Font()->Name(), "宋体");
  EXPECT_EQ(f->lblTitle->Font()->Height(), -16);
  EXPECT_TRUE(f->lblTitle->Font()->Style().Contains(fsBold));
  EXPECT_TRUE(f->lblTitle->Transparent());
  EXPECT_EQ(f->PosCds->Owner(), f.get());
}

TEST(FormBases, SetTitleFitsThePlateAndItsShadow) {
  std::unique_ptr<TParentfrm> full(CreateForm<TParentfrm>(nullptr));
  std::unique_ptr<TdiaParent> dia(CreateForm<TdiaParent>(nullptr));
  EXPECT_EQ(dia->Caption(), "diaParent");
  EXPECT_EQ(dia->BorderStyle(), bsDialog);
  EXPECT_EQ(dia->ClientWidth(), 300);
  EXPECT_EQ(dia->ClientHeight(), 300);
  struct Title {
    TCustomForm* form;
    TLabel* label;
    TShape* plate;
    TShape* shadow;
    std::function<void(const AnsiString&)> set;
  };
  const Title titles[] = {
      {full.get(), full->lblTitle, full->shpTitle, full->shpBack, [&](const AnsiString& v) { full->SetTitle(v); }},
      {dia.get(), dia->lblTitle, dia->shpTitle, dia->shpBack, [&](const AnsiString& v) { dia->SetTitle(v); }},
  };
  for (const Title& t : titles) {
    t.set("盘点单");
    const int shortWidth = t.plate->Width();
    EXPECT_EQ(t.form->Caption(), "盘点单");
    EXPECT_EQ(t.label->Caption(), "盘点单");
    EXPECT_EQ(shortWidth, t.label->Left() + t.label->Width() + 8);
    t.set("VIP会员发卡登记与管理");
    EXPECT_GT(t.plate->Width(), shortWidth);
    EXPECT_EQ(t.shadow->Width(), t.plate->Width());
    EXPECT_EQ(t.shadow->Left() - t.plate->Left(), 2);
    EXPECT_EQ(t.shadow->Top() - t.plate->Top(), 2);
    EXPECT_EQ(t.plate->Left(), 10);
    EXPECT_EQ(t.plate->Top(), 16);
    t.set("");
    EXPECT_EQ(t.plate->Width(), 26);
    EXPECT_EQ(t.shadow->Width(), 26);
  }
  EXPECT_EQ(full->GetTitle(), "");
}
