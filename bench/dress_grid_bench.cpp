// Benchmark (Win32, under Wine): filling a dress grid of 12 columns x 10,000 rows and
// painting one screen of it, against the plain baseline of the same texts put into a
// std::vector<std::string> and one screen of ExtTextOutW calls, in the same run.
// Prints the times (median of the runs) and the ratio; exits 1 when the ratio is 3 or more.
//   cmake/wine-run build/win32/bench/win32/bench_dress_grid.exe [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "controls/DressGrid.h"
#include "ui/Forms.h"

namespace {

constexpr int kCols = 12;
constexpr int kRows = 10000;
constexpr int kWidth = 800, kHeight = 600;
std::vector<double> gFill, gPaint;  // the grid's two parts, for the report

double Now() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

// The text of a cell: a code, a name and numbers, as a stock-take bill has them.
std::string CellText(int row, int col) {
  switch (col % 4) {
    case 0: return "G" + std::to_string(100000 + row);
    case 1: return "商品" + std::to_string(row);
    case 2: return std::to_string(row % 97);
    default: return std::to_string(row % 13) + ".5";
  }
}

struct MemoryDC {
  HDC dc;
  HBITMAP bmp;
  HGDIOBJ old;
  MemoryDC() {
    HDC screen = ::GetDC(nullptr);
    dc = ::CreateCompatibleDC(screen);
    bmp = ::CreateCompatibleBitmap(screen, kWidth, kHeight);
    old = ::SelectObject(dc, bmp);
    ::ReleaseDC(nullptr, screen);
  }
  ~MemoryDC() {
    ::SelectObject(dc, old);
    ::DeleteObject(bmp);
    ::DeleteDC(dc);
  }
};

double DressGridRun() {
  const double start = Now();
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(0, 0, kWidth + 20, kHeight + 40);
  auto* grid = new TDressGrid(form.get());
  grid->SetParent(form.get());
  grid->SetBounds(0, 0, kWidth, kHeight);
  for (int c = 1; c <= kCols; ++c)
    grid->AddColumn("列" + std::to_string(c), c == 1 ? "0" : "2", 64, c % 4 >= 2 ? "0.00" : "", "", false, false);
  grid->SetRowCount(kRows + 2);
  for (int r = 1; r <= kRows; ++r)
    for (int c = 1; c <= kCols; ++c) grid->SetDressCell(r, c, 1, CellText(r, c - 1));
  const double filled = Now();
  MemoryDC mem;
  grid->PaintTo(mem.dc, 0, 0);
  gFill.push_back(filled - start);
  gPaint.push_back(Now() - filled);
  ::GdiFlush();
  return Now() - start;
}

// The platform string grid alone with the same texts (no number formatting, no
// logical columns): where the dress grid's own share ends.
double StringGridRun() {
  const double start = Now();
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(0, 0, kWidth + 20, kHeight + 40);
  auto* grid = new TStringGrid(form.get());
  grid->SetParent(form.get());
  grid->SetBounds(0, 0, kWidth, kHeight);
  grid->SetColCount(kCols + 1);
  grid->SetRowCount(kRows + 2);
  for (int r = 1; r <= kRows; ++r)
    for (int c = 1; c <= kCols; ++c) grid->SetCells(c, r + 1, CellText(r, c - 1));
  MemoryDC mem;
  grid->PaintTo(mem.dc, 0, 0);
  ::GdiFlush();
  return Now() - start;
}

double BaselineRun() {
  const double start = Now();
  std::vector<std::string> cells(static_cast<size_t>(kCols) * kRows);
  for (int r = 1; r <= kRows; ++r)
    for (int c = 1; c <= kCols; ++c) cells[static_cast<size_t>(r - 1) * kCols + (c - 1)] = CellText(r, c - 1);
  MemoryDC mem;
  HFONT font = ::CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, L"宋体");
  HGDIOBJ oldFont = ::SelectObject(mem.dc, font);
  const int rowsOnScreen = kHeight / 18 + 1;
  for (int r = 0; r < rowsOnScreen; ++r)
    for (int c = 0; c < kCols; ++c) {
      const WideString w = GbkToWide(cells[static_cast<size_t>(r) * kCols + c]);
      RECT cell{c * 65, r * 18, c * 65 + 64, r * 18 + 17};
      ::ExtTextOutW(mem.dc, cell.left + 2, cell.top + 2, ETO_CLIPPED | ETO_OPAQUE, &cell,
                    reinterpret_cast<LPCWSTR>(w.c_str()), static_cast<UINT>(w.size()), nullptr);
    }
  ::GdiFlush();
  ::SelectObject(mem.dc, oldFont);
  ::DeleteObject(font);
  return Now() - start;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  std::vector<double> grid, base, plain;
  for (int i = 0; i < runs; ++i) {
    base.push_back(BaselineRun());
    grid.push_back(DressGridRun());
    plain.push_back(StringGridRun());
  }
  const double g = Median(grid), b = Median(base);
  std::printf("dress grid fill %d x %d + one screen: %.1f ms (fill %.1f, paint %.1f)\n", kCols, kRows, g * 1000,
              Median(gFill) * 1000, Median(gPaint) * 1000);
  std::printf("platform string grid, same texts + one screen: %.1f ms\n", Median(plain) * 1000);
  std::printf("baseline vector<string> + ExtTextOutW screen: %.1f ms\n", b * 1000);
  std::printf("ratio: %.2f (limit 3)\n", g / b);
  return g / b < 3 ? 0 : 1;
}
