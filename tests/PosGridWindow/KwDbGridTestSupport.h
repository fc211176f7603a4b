// A data-aware grid on a form over a client dataset of goods (ID, NAME, QTY, PRICE), for
// the window tests of the data-aware grid.
#pragma once
#include <memory>
#include <string>

#include "VCLSource/source/PosGrid/ukvDbGrids.h"
#include "VCLSource/source/PosGrid/ukvDbGridsView.h"
#include "db/ClientDataSet.h"
#include "db/DataLink.h"
#include "KwGridTestSupport.h"
#include "tests/ui/UiTest.h"

namespace kwtest {

// n goods: ID 1..n, NAME "商品<i>", QTY i % 7, PRICE i * 1.5.
inline TDataPacket GoodsRows(int n) {
  TDataPacket p;
  p.Fields = {{"ID", ftInteger, 0}, {"NAME", ftString, 20}, {"QTY", ftFloat, 0}, {"PRICE", ftFloat, 0}};
  for (int i = 1; i <= n; ++i)
    p.Rows.push_back({Variant(i), Variant(("商品" + std::to_string(i)).c_str()), Variant(static_cast<double>(i % 7)),
                      Variant(i * 1.5)});
  return p;
}

struct DbGridForm {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  std::unique_ptr<TClientDataSet> data{new TClientDataSet(nullptr)};
  std::unique_ptr<TDataSource> source{new TDataSource(nullptr)};
  TkwCustomDBGrid* grid;

  explicit DbGridForm(int rows, int width = 420, int height = 19 * 11 + 4) {
    data->SetData(GoodsRows(rows));
    source->SetDataSet(data.get());
    form->SetBounds(60, 60, width + 40, height + 60);
    grid = new TkwCustomDBGrid(form.get());
    grid->SetName("grdDb");
    grid->SetParent(form.get());
    grid->SetBounds(8, 8, width, height);
  }
  ~DbGridForm() {
    form.reset();
    source.reset();
    data.reset();
  }
  void Bind() { grid->SetDataSource(source.get()); }
  void Show() {
    form->Show();
    uitest::Settle();
    uitest::Focus(grid);
    uitest::Pump();
  }
  TkwCustomDbGridView& View() { return grid->DbView(); }
  int Focused() { return grid->FocusedRowIndex(); }
};

}  // namespace kwtest
