// A form with Chinese captions rendered to a PNG whose pixels show the text. The picture
// goes to the build folder (screenshots/framework-sample.png); docs/screenshots keeps a
// copy.
#include <fstream>
#include <iterator>

#include "UiTest.h"
#include "rtl/FileUtils.h"
#include "rtl/PngWriter.h"
#include "tests/support/PngReader.h"
#include "tests/support/Screenshot.h"
#include "ui/ComCtrls.h"
#include "ui/ExtCtrls.h"
#include "ui/StdCtrls.h"

using namespace uitest;

namespace {

constexpr TColor kBandColor = 16774889;  // the screens' light blue
constexpr TColor kPlateColor = 11921405;

// The look of the stock-take screen: title band with a rounded plate and its shadow,
// a field area, a button band.
struct SampleForm {
  TForm form{nullptr};
  TLabel* title;
  TPanel* band;

  SampleForm() {
    form.SetCaption("盘点单");
    form.SetBorderStyle(bsDialog);
    form.SetBounds(40, 40, 480, 300);
    form.SetClientWidth(460);
    form.SetClientHeight(260);
    band = Panel("pnlTitle", alTop, 58, bvNone);
    Shape(band, 12, 18, clBlack);
    Shape(band, 10, 16, kPlateColor);
    title = new TLabel(&form);
    title->SetName("lblTitle");
    title->SetParent(band);
    title->SetBounds(18, 20, 10, 10);
    title->Font()->SetName("宋体");
    title->Font()->SetHeight(-16);
    title->Font()->SetStyle({fsBold});
    title->SetTransparent(true);
    title->SetCaption("盘点单");
    TPanel* buttons = Panel("pnlBtn", alBottom, 46, bvLowered);
    buttons->SetBevelInner(bvLowered);
    TPanel* main = Panel("pnlMain", alClient, 10, bvNone);
    Label(main, "单据编号：001 2024-03-05 00001", 16, 10);
    Label(main, "盘点仓库：", 16, 44);
    Edit(main, "edtStock", "总仓", 90, 40);
    Label(main, "盘点人：", 240, 44);
    Edit(main, "edtEmployee", "张三", 300, 40);
    Label(main, "盘点日期：", 16, 82);
    auto* dtp = new TDateTimePicker(&form);
    dtp->SetParent(main);
    dtp->SetBounds(90, 78, 130, 21);
    dtp->SetDate(EncodeDate(2024, 3, 5));
    dtp->SetFormat("yyyy-MM-dd");
    auto* chk = new TCheckBox(&form);
    chk->SetParent(main);
    chk->SetBounds(240, 80, 200, 17);
    chk->SetCaption("建议盘点之前下载一次数据");
    chk->SetChecked(true);
    Button(buttons, "btnCheckIn", "导入导出盘点机数据(&M)", 10, 170);
    Button(buttons, "btnSave", "保存(&S)", 270, 80);
    Button(buttons, "btnCancle", "退出(&C)", 360, 80);
  }

  TPanel* Panel(const char* name, TAlign align, int height, TPanelBevel bevel) {
    auto* p = new TPanel(&form);
    p->SetName(name);
    p->SetHeight(height);
    p->SetBevelOuter(bevel);
    p->SetColor(kBandColor);
    p->SetParent(&form);
    p->SetAlign(align);
    return p;
  }
  void Shape(TWinControl* parent, int l, int t, TColor brush) {
    auto* s = new TShape(&form);
    s->SetParent(parent);
    s->SetBounds(l, t, 120, 24);
    s->SetShape(stRoundRect);
    s->Brush()->SetColor(brush);
  }
  void Label(TWinControl* parent, const char* text, int l, int t) {
    auto* lbl = new TLabel(&form);
    lbl->SetParent(parent);
    lbl->SetLeft(l);
    lbl->SetTop(t);
    lbl->SetCaption(text);
  }
  void Edit(TWinControl* parent, const char* name, const char* text, int l, int t) {
    auto* e = new TEdit(&form);
    e->SetName(name);
    e->SetParent(parent);
    e->SetBounds(l, t, 130, 21);
    e->SetText(text);
  }
  void Button(TWinControl* parent, const char* name, const char* caption, int l, int w) {
    auto* b = new TButton(&form);
    b->SetName(name);
    b->SetParent(parent);
    b->SetBounds(l, 10, w, 25);
    b->SetCaption(caption);
  }
};

int CountInk(const std::vector<uint32_t>& px, int width, const TRect& r, uint32_t background) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (px[static_cast<size_t>(y) * width + x] != background) ++n;
  return n;
}

uint32_t Rgb(TColor c) {
  COLORREF v = ColorToRGB(c);
  return (GetRValue(v) << 16) | (GetGValue(v) << 8) | GetBValue(v);
}

}  // namespace

TEST(Screenshot, ChineseCaptionsShowInThePicture) {
  SampleForm s;
  s.form.Show();
  Settle();
  TBitmap client;
  RenderControl(&s.form, client, false);
  ASSERT_EQ(client.Width(), 460);
  ASSERT_EQ(client.Height(), 260);
  std::vector<uint32_t> px = client.PixelsRGB();
  // The band's colour where nothing else is drawn.
  EXPECT_EQ(px[5 * 460 + 400], Rgb(kBandColor));
  // The plate's colour between the label's text and the plate's right end.
  EXPECT_EQ(client.PixelRGB(125, 30), Rgb(kPlateColor));
  // The title text leaves dark ink on the plate.
  TRect titleArea = Bounds(s.title->Left(), s.title->Top(), s.title->Width(), s.title->Height());
  int ink = 0;
  for (int y = titleArea.Top; y < titleArea.Bottom; ++y)
    for (int x = titleArea.Left; x < titleArea.Right; ++x)
      if ((client.PixelRGB(x, y) & 0xFFFFFF) < 0x404040) ++ink;
  EXPECT_GT(ink, 40);
  // The edit shows its Chinese text (ink on the window colour).
  RECT er;
  HWND edit = FindByName(s.form.Handle(), "edtStock");
  ASSERT_NE(edit, nullptr);
  ::GetWindowRect(edit, &er);
  ::MapWindowPoints(HWND_DESKTOP, s.form.Handle(), reinterpret_cast<POINT*>(&er), 2);
  EXPECT_GT(CountInk(px, 460, Rect(er.left + 3, er.top + 3, er.right - 3, er.bottom - 3), Rgb(clWindow)), 20);
}

TEST(Screenshot, WritesTheSamplePngIntoTheBuildFolder) {
  SampleForm s;
  s.form.Show();
  Settle();
  const std::string dir = std::string("Z:") + POS_BINARY_DIR + "/screenshots";
  ASSERT_TRUE(ForceDirectories(dir));
  const std::string path = dir + "/framework-sample.png";
  ::DeleteFileA(path.c_str());  // a picture of an earlier run proves nothing
  SaveScreenshot(&s.form, path);
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in.good());
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  int w = 0, h = 0;
  std::vector<uint32_t> px = png::Decode(bytes, w, h);
  EXPECT_GT(w, 460);  // with its frame
  EXPECT_GT(h, 260);
  TBitmap client;
  RenderControl(&s.form, client, false);
  // The client area sits inside the framed picture unchanged: find the title band.
  int found = 0;
  for (uint32_t p : px)
    if (p == Rgb(kBandColor)) ++found;
  EXPECT_GT(found, 460 * 40);
}
