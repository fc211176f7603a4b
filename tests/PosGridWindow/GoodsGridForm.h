// A form with the application's grid (TJbDbGrid) over a client dataset of goods the size
// of a store's goods list, for the window tests and the benchmarks under Wine:
//   ID (integer), NAME (GBK text), PRICE (float, many equal), QTY (float), CHK (0/1).
// Titles on two levels: 商品 over 编号/名称, 金额 over 单价/数量, then 选 (CHK, drawn and
// toggled as a check box). QTY has a footer sum; every data column sorts by a title
// double-click and shows its sort mark. The indicator, two-colour rows, the footer band,
// multi-selection and the confirmation of deletions are on.
//
// No test framework here: the benchmarks include it too.
#pragma once
#include <cstdio>
#include <memory>
#include <string>

#include "VCLSource/source/PosGrid/uPosDbGrid.h"
#include "VCLSource/source/PosGrid/ukvDbGridsView.h"
#include "db/ClientDataSet.h"
#include "db/DataLink.h"
#include "ui/Forms.h"

namespace kwtest {

// Words the names start with: ASCII and full-width letters of both cases (case pairs for
// the search), Chinese words, and a character whose trail byte is the ASCII "\".
inline constexpr const char* kGoodsWords[] = {"苹果", "Apple", "apple", "Ａｂ", "ａＢ", "白菜", "\x81\x5C" "菜", "香蕉"};
inline constexpr int kGoodsWordCount = 8;

inline std::string GoodsName(int id) {
  char number[16];
  std::snprintf(number, sizeof number, "%06d", id);
  return std::string(kGoodsWords[id % kGoodsWordCount]) + number;
}
inline double GoodsPrice(int id) { return (id * 7919 % 2000) / 4.0; }  // 2,000 prices, each 50 times
inline double GoodsQty(int id) { return id % 9; }
inline int GoodsChecked(int id) { return id % 3 == 0 ? 1 : 0; }

// Goods 1..n in ID order.
inline TDataPacket GoodsPacket(int n) {
  TDataPacket p;
  p.Fields = {{"ID", ftInteger, 0}, {"NAME", ftString, 24}, {"PRICE", ftFloat, 0}, {"QTY", ftFloat, 0},
              {"CHK", ftInteger, 0}};
  p.Rows.reserve(static_cast<size_t>(n));
  for (int id = 1; id <= n; ++id)
    p.Rows.push_back({Variant(id), Variant(GoodsName(id).c_str()), Variant(GoodsPrice(id)), Variant(GoodsQty(id)),
                      Variant(GoodsChecked(id))});
  return p;
}

struct GoodsGridForm {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  std::unique_ptr<TClientDataSet> data{new TClientDataSet(nullptr)};
  std::unique_ptr<TDataSource> source{new TDataSource(nullptr)};
  TJbDbGrid* grid = nullptr;
  TkwColumn* id = nullptr;
  TkwColumn* name = nullptr;
  TkwColumn* price = nullptr;
  TkwColumn* qty = nullptr;
  TkwColumn* chk = nullptr;

  explicit GoodsGridForm(int rows, int width = 40 + 64 + 150 + 80 + 80 + 40 + 32, int height = 19 * 16 + 4) {
    data->SetData(GoodsPacket(rows));
    source->SetDataSet(data.get());
    form->SetCaption("商品");
    form->SetBounds(40, 40, width + 16, height + 40);
    grid = new TJbDbGrid(form.get());  // owned by the form
    grid->SetName("grdGoods");
    grid->SetParent(form.get());
    grid->SetBounds(4, 4, width, height);
    grid->SetOptions(grid->Options() | GridOption(dgFooter) | GridOption(dgMultiSelect) |
                     GridOption(dgConfirmDelete) | GridOption(dgTwoColor));
    grid->SetRowColors(static_cast<TColor>(0xFFFFFF), static_cast<TColor>(0xF7F7F7));
    TkwColumn* goods = Add(nullptr, "商品", nullptr, 0);
    TkwColumn* money = Add(nullptr, "金额", nullptr, 0);
    goods->Title()->SetAlignment(taCenter);
    money->Title()->SetAlignment(taCenter);
    id = Add("ID", "编号", goods, 64);
    name = Add("NAME", "名称", goods, 150);
    price = Add("PRICE", "单价", money, 80);
    qty = Add("QTY", "数量", money, 80);
    chk = Add("CHK", "选", nullptr, 40);
    goods->SetExpanded(true);
    money->SetExpanded(true);
    id->SetReadOnly(true);
    qty->SetTotalColumn(true);
    qty->SetTotalKind(skSum);
    qty->SetAlignment(taRightJustify);
    price->SetAlignment(taRightJustify);
    chk->SetButtonStyle(gcbsCheckBox);
  }
  ~GoodsGridForm() {
    form.reset();  // the grid first: it unbinds from the source
    source.reset();
    data.reset();
  }
  GoodsGridForm(const GoodsGridForm&) = delete;
  GoodsGridForm& operator=(const GoodsGridForm&) = delete;

  void Bind() { grid->SetDataSource(source.get()); }
  TkvCustomDbDataController& Controller() { return *grid->DataController(); }
  TkwCustomDbGridView& View() { return grid->DbView(); }

  // The value of a column at a row of the data controller.
  Variant RowValue(int row, TkwColumn* column) {
    Variant v;
    Controller().GetRowValue(row, column->DbField(), v);
    return v;
  }
  int RowId(int row) { return RowValue(row, id).AsInteger(); }

 private:
  TkwColumn* Add(const char* field, const char* caption, TkwColumn* parent, int width) {
    TkwColumn* c = grid->Columns()->Add();
    if (field) c->SetFieldName(field);
    c->Title()->SetCaption(caption);
    if (width > 0) c->SetWidth(width);
    c->SetColumnOptions(c->ColumnOptions() | ColumnOption(gcoSortable) | ColumnOption(gcoShowSortIcon));
    if (parent) c->SetParent(parent);
    return c;
  }
};

}  // namespace kwtest
