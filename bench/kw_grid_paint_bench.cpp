// The library grid's painting cost does not grow with the row count: one full paint of
// a 50-column grid of 100,000 rows (2 fixed data columns, a footer band), and one page
// of scrolling followed by its paint, timed at the first rows and at row 99,000. The
// plain baseline in the same run is one fill of the same client area.
//
//   cmake/wine-run build/win32/bench/bench_kw_grid_paint.exe [rounds]
//
// Prints each median in microseconds and the ratios end/top; the claim holds when
// both ratios lie within 1.5.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "VCLSource/source/PosGrid/ukvGrids.h"
#include "ui/Forms.h"
#include "ui/GdiScopes.h"

namespace {

class TBenchGrid : public TkwCustomGrid {
 public:
  using TkwCustomGrid::TkwCustomGrid;

 protected:
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState) override {
    char text[32];
    // The same number of glyphs on every row, so only the position can make a difference.
    std::snprintf(text, sizeof text, "%06d,%02d", ARow, ACol);
    Canvas()->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, text);
  }
};

double MedianMicros(int rounds, const std::function<void()>& step) {
  std::vector<double> t;
  for (int i = 0; i < rounds; ++i) {
    LARGE_INTEGER f, a, b;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&a);
    step();
    ::QueryPerformanceCounter(&b);
    t.push_back(1e6 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart));
  }
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

void Drain() {
  MSG m;
  while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&m);
    ::DispatchMessageW(&m);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 41;
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(0, 0, 1024, 700);
  auto* grid = new TBenchGrid(form.get());
  grid->SetParent(form.get());
  grid->SetBounds(0, 0, 1000, 640);
  grid->SetColCount(50);
  grid->SetRowCount(100000);
  grid->SetFixedCols(3);
  grid->SetFixedDataCols(2);
  grid->SetFooter(true);
  form->Show();
  Drain();
  HWND h = grid->Handle();
  auto paint = [&] {
    ::InvalidateRect(h, nullptr, FALSE);
    ::UpdateWindow(h);
  };
  auto scrollPage = [&](int from) {
    return [&, from] {
      grid->SetTopRow(from);
      ::SendMessageW(h, WM_VSCROLL, SB_PAGEDOWN, 0);
      ::UpdateWindow(h);
    };
  };
  const double baseline = MedianMicros(rounds, [&] {
    ui_win::WindowDC dc(h);
    RECT r;
    ::GetClientRect(h, &r);
    ::FillRect(dc.dc(), &r, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::GdiFlush();
  });
  // Warm-up: the font's glyphs and the system's caches are filled at both places first.
  for (int top : {1, 99000, 1, 99000}) {
    grid->SetTopRow(top);
    for (int i = 0; i < 5; ++i) paint();
  }
  grid->SetTopRow(1);
  const double paintTop = MedianMicros(rounds, paint);
  grid->SetTopRow(99000);
  const double paintEnd = MedianMicros(rounds, paint);
  const double scrollTop = MedianMicros(rounds, scrollPage(1));
  const double scrollEnd = MedianMicros(rounds, scrollPage(99000));
  std::printf("rounds %d, client %dx%d, %d rows shown\n", rounds, grid->ClientWidth(), grid->ClientHeight(),
              grid->VisibleRowCount());
  std::printf("baseline fill          %10.1f us\n", baseline);
  std::printf("paint at row 1         %10.1f us  (%.1fx baseline)\n", paintTop, paintTop / baseline);
  std::printf("paint at row 99000     %10.1f us  (%.1fx baseline)\n", paintEnd, paintEnd / baseline);
  std::printf("page scroll at row 1   %10.1f us\n", scrollTop);
  std::printf("page scroll at 99000   %10.1f us\n", scrollEnd);
  std::printf("ratio end/top: paint %.2f, scroll %.2f\n", paintEnd / paintTop, scrollEnd / scrollTop);
  const bool ok = paintEnd / paintTop <= 1.5 && scrollEnd / scrollTop <= 1.5;
  std::printf("%s\n", ok ? "independent of the row position (within 1.5x)" : "NOT within 1.5x");
  return ok ? 0 : 1;
}
