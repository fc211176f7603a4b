// Proves what every screen stands on: under Wine, a window can be made, GBK text drawn
// with a CJK font into an off-screen bitmap, and the bitmap written as a PNG.
#include <windows.h>

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "rtl/AnsiString.h"
#include "rtl/PngWriter.h"
#include "tests/support/PngReader.h"

namespace {

struct DcDeleter { void operator()(HDC dc) const { DeleteDC(dc); } };
struct GdiDeleter { void operator()(HGDIOBJ o) const { DeleteObject(o); } };
using UniqueDC = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;
using UniqueGdi = std::unique_ptr<std::remove_pointer_t<HGDIOBJ>, GdiDeleter>;

class SelectObjectScope {
 public:
  SelectObjectScope(HDC dc, HGDIOBJ o) : dc_(dc), old_(SelectObject(dc, o)) {}
  ~SelectObjectScope() { SelectObject(dc_, old_); }
 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A DIB section of width x height, 32 bits, top-down, painted white.
struct OffscreenBitmap {
  int width, height;
  uint32_t* bits = nullptr;
  UniqueDC dc;
  UniqueGdi bitmap;
  OffscreenBitmap(int w, int h) : width(w), height(h), dc(CreateCompatibleDC(nullptr)) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* p = nullptr;
    bitmap.reset(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &p, nullptr, 0));
    bits = static_cast<uint32_t*>(p);
    for (int i = 0; i < w * h; ++i) bits[i] = 0xFFFFFF;
  }
  std::vector<uint32_t> Pixels() const {
    std::vector<uint32_t> v(bits, bits + width * height);
    for (auto& x : v) x &= 0xFFFFFF;
    return v;
  }
  int DarkPixelsIn(int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        uint32_t p = bits[y * width + x];
        if (((p >> 16) & 0xFF) < 128 && ((p >> 8) & 0xFF) < 128 && (p & 0xFF) < 128) ++n;
      }
    return n;
  }
};

std::string WinePath(std::string unixPath) { return unixPath.rfind('/', 0) == 0 ? "Z:" + unixPath : unixPath; }

}  // namespace

TEST(Platform, WindowsAreMadeOnThisThread) {
  HWND w = CreateWindowExW(0, L"STATIC", L"pos", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(w, nullptr);
  wchar_t text[16] = {};
  GetWindowTextW(w, text, 16);
  EXPECT_STREQ(text, L"pos");
  DestroyWindow(w);
}

TEST(Platform, GbkTextDrawnWithCjkFontAndSavedAsPng) {
  // "盘点单" in GBK, as the screens hold it.
  const AnsiString text = "盘点单";
  ASSERT_EQ(text, "\xC5\xCC\xB5\xE3\xB5\xA5");
  std::wstring wide;
  int n = MultiByteToWideChar(936, 0, text.data(), int(text.size()), nullptr, 0);
  wide.resize(size_t(n));
  MultiByteToWideChar(936, 0, text.data(), int(text.size()), wide.data(), n);
  ASSERT_EQ(wide, L"\u76D8\u70B9\u5355");

  OffscreenBitmap img(240, 60);
  SelectObjectScope selBitmap(img.dc.get(), img.bitmap.get());
  UniqueGdi font(CreateFontW(-32, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                             L"\u5B8B\u4F53"));  // 宋体
  SelectObjectScope selFont(img.dc.get(), font.get());

  // The face must have real glyphs for the characters (not the missing-glyph box).
  WORD glyphs[3] = {};
  ASSERT_EQ(GetGlyphIndicesW(img.dc.get(), wide.c_str(), 3, glyphs, GGI_MARK_NONEXISTING_GLYPHS), 3u);
  for (WORD g : glyphs) EXPECT_NE(g, 0xFFFF);

  SetBkMode(img.dc.get(), TRANSPARENT);
  SetTextColor(img.dc.get(), RGB(0, 0, 0));
  ASSERT_TRUE(TextOutW(img.dc.get(), 10, 10, wide.c_str(), 3));
  GdiFlush();

  // Ink where the text is, paper around it.
  EXPECT_GT(img.DarkPixelsIn(10, 10, 110, 50), 100);
  EXPECT_EQ(img.DarkPixelsIn(150, 0, 240, 60), 0);
  EXPECT_EQ(img.DarkPixelsIn(0, 52, 240, 60), 0);

  const std::string dir = std::string(POS_BINARY_DIR) + "/screenshots";
  CreateDirectoryA(WinePath(dir).c_str(), nullptr);
  const std::string path = WinePath(dir + "/platform-gbk-text.png");
  png::WriteFile(path, img.width, img.height, img.Pixels());

  // The file reads back pixel for pixel.
  FILE* f = fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::vector<uint8_t> bytes;
  for (int c; (c = fgetc(f)) != EOF;) bytes.push_back(uint8_t(c));
  fclose(f);
  int w = 0, h = 0;
  EXPECT_EQ(png::Decode(bytes, w, h), img.Pixels());
}
