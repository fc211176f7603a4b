// A concrete library grid for the tests: cells hold their coordinates until a text is
// written; footer cells and every DrawCell call with row -1 are recorded; column 2
// edits through a pick list, column 3 through an ellipsis button; the cells of one
// column may be refused as current cells.
#pragma once
#include <map>
#include <stdexcept>
#include <string>

#include "VCLSource/source/PosGrid/ukvEditer.h"
#include "VCLSource/source/PosGrid/ukvGrids.h"
#include "tests/ui/GridPress.h"
#include "tests/ui/UiTest.h"

namespace kwtest {

class TTestGrid : public TkwCustomGrid {
 public:
  using TkwCustomGrid::TkwCustomGrid;
  std::map<std::pair<int, int>, AnsiString> Texts;
  std::string FooterCalls;      // "col:state " for every footer cell painted
  int ThrowOnPaints = 0;        // the next n paints throw from a cell
  bool ReadOnlyCells = false;   // CanEditModify answers false
  int AlwaysShowColumn = -1;    // the per-column always-show answer is True here only
  int RefusedCol = -1;          // SelectCell refuses the cells of this column
  int PaintedCells = 0;

  AnsiString Cell(int c, int r) const {
    auto it = Texts.find({c, r});
    return it == Texts.end() ? AnsiString() : it->second;
  }
  using TkwCustomGrid::CalcDrawInfo;
  using TkwCustomGrid::GetColWidths;
  using TkwCustomGrid::GetRowHeights;

  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override {
    ++PaintedCells;
    if (ThrowOnPaints > 0) {
      --ThrowOnPaints;
      throw EkwInvalidGridOperation("cell painter failed");
    }
    AnsiString text;
    if (ARow == -1)
      text = ACol == 0 ? AnsiString("合计") : AnsiString(std::to_string(ACol * 100).c_str());
    else if (ARow == 0)
      text = ACol == 0 ? AnsiString("") : AnsiString(("列" + std::to_string(ACol)).c_str());
    else
      text = Cell(ACol, ARow).empty() ? AnsiString((std::to_string(ARow) + "," + std::to_string(ACol)).c_str())
                                      : Cell(ACol, ARow);
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->TextRect(ARect, ARect.Left + 3, ARect.Top + 2, text);
    if (ARow == -1) {
      FooterCalls += std::to_string(ACol) + ":" + std::to_string(AState.Contains(gdFixed) * 4 +
                                                                 AState.Contains(gdFooter) * 8) + " ";
    }
  }
  AnsiString GetEditText(int ACol, int ARow) override { return Cell(ACol, ARow); }
  void SetEditText(int ACol, int ARow, const AnsiString& Value) override { Texts[{ACol, ARow}] = Value; }
  TEditStyle GetEditStyle(int ACol, int) override {
    return ACol == 2 ? esPickList : ACol == 3 ? esEllipsis : esSimple;
  }
  bool CanEditModify() override { return !ReadOnlyCells; }
  bool SelectCell(int ACol, int ARow) override { return ACol != RefusedCol && TkwCustomGrid::SelectCell(ACol, ARow); }
  bool AlwaysShowEditor(int ACol) override {
    return AlwaysShowColumn >= 0 ? ACol == AlwaysShowColumn : TkwCustomGrid::AlwaysShowEditor(ACol);
  }
  TInplaceEdit* CreateEditor() override {
    auto* e = new TkwInplaceEditList(this);
    e->SetGridView(GetGridView());
    e->OnGetPickListItems = [](int, int, TStrings* items) {
      items->Clear();
      items->Add("苹果");
      items->Add("香蕉");
      items->Add("橙子");
    };
    return e;
  }
};

// A form holding a test grid.
struct GridForm {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  TTestGrid* grid;

  GridForm(int cols, int rows, int width = 460, int height = 260) {
    form->SetBounds(60, 60, width + 40, height + 60);
    grid = new TTestGrid(form.get());
    grid->SetName("grdKw");
    grid->SetParent(form.get());
    grid->SetBounds(8, 8, width, height);
    grid->SetColCount(cols);
    grid->SetRowCount(rows);
  }
  void Show() {
    form->Show();
    uitest::Settle();
    uitest::Focus(grid);
  }
  std::string Cur() const { return std::to_string(grid->Col()) + "," + std::to_string(grid->Row()); }
  POINT CellCenter(int c, int r) {
    const TRect rc = grid->CellRect(c, r);
    return {(rc.Left + rc.Right) / 2, (rc.Top + rc.Bottom) / 2};
  }
  void Mouse(UINT msg, POINT p, WPARAM keys = 0) {
    ::PostMessageW(grid->Handle(), msg, keys, MAKELPARAM(p.x, p.y));
    uitest::Pump();
  }
  // A press; true when it started a selection or a drag (whose scroll timer it stops).
  bool Press(POINT p) { return uitest::PressWithoutScrollTimer(grid, p); }
  void Click(POINT p) {
    Press(p);
    Mouse(WM_LBUTTONUP, p);
  }
};

inline void PostKeyWith(BYTE modifier, WORD vk) {
  uitest::HeldKey held(modifier);
  uitest::PostKey(vk);
}

inline uint32_t Rgb(TColor c) {
  const COLORREF v = ColorToRGB(c);
  return static_cast<uint32_t>((GetRValue(v) << 16) | (GetGValue(v) << 8) | GetBValue(v));
}

}  // namespace kwtest
