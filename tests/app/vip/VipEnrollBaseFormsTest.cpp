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

// The form's icon is the icon resource "FRMBASE" of the module holding the code (here the
// test program): the window's large icon, drawn on white, shows that picture's card (blue,
// with a gold stripe), the white showing through around it.
TEST(FormBases, PlainBaseHasTheIconOfItsModule) {
  ASSERT_NE(::FindResourceW(::GetModuleHandleW(nullptr), L"FRMBASE", MAKEINTRESOURCEW(14)), nullptr);  // RT_GROUP_ICON
  std::unique_ptr<TfrmBase> f(CreateForm<TfrmBase>(nullptr));
  auto icon = reinterpret_cast<HICON>(::SendMessageW(f->Handle(), WM_GETICON, ICON_BIG, 0));
  ASSERT_NE(icon, nullptr);
  ASSERT_NE(::SendMessageW(f->Handle(), WM_GETICON, ICON_SMALL, 0), 0);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = 32;
  bi.bmiHeader.biHeight = -32;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = ::CreateCompatibleDC(nullptr);
  HBITMAP dib = ::CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(dib, nullptr);
  HGDIOBJ old = ::SelectObject(dc, dib);
  const RECT all{0, 0, 32, 32};
  ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  ASSERT_TRUE(::DrawIconEx(dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL));
  ::GdiFlush();
  const auto* px = static_cast<const uint32_t*>(bits);
  auto rgb = [&](int x, int y) { return px[y * 32 + x] & 0xFFFFFFu; };
  const std::string seen = std::to_string(rgb(0, 0)) + " " + std::to_string(rgb(20, 20)) + " " +
                           std::to_string(rgb(20, 12));
  ::SelectObject(dc, old);
  ::DeleteObject(dib);
  ::DeleteDC(dc);
  EXPECT_EQ(seen, std::to_string(0xFFFFFFu) + " " + std::to_string(0x1E64C8u) + " " + std::to_string(0xF0B020u));
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
