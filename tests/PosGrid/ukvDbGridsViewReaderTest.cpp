// The grid view's value reader: it reads the view's current row as it is when asked,
// only field items of the view's controller, and nothing once the view has gone.
#include <gtest/gtest.h>

#include "DbGridFixture.h"
#include "VCLSource/source/PosGrid/ukvDbGridsViewReader.h"
#include "VCLSource/source/PosGrid/ukvDbHelperValueReaders.h"

using kwdbtest::Grid;
using kwdbtest::Item;

namespace {

// A view over the fixture's controller whose current row is set by the test.
class RowView : public IkwDbGridView {
 public:
  explicit RowView(TkvCustomDbDataController& c) : FC(c) {}
  int Row = 0;
  void ReadCurrentRecord(IkwDisplayTextValueReader& r) override { r.SetRecordIndex(CurrentRecordIndex()); }
  void First() override {}
  int ActiveRecord() override { return Row; }
  int BufferCount() override { return 10; }
  TkwDbGridController* DataController() override { return nullptr; }
  AnsiString GetDisplayText(TkvDbField* f) override {
    AnsiString t;
    if (Row < FC.RowCount()) FC.GetDisplayText(FC.GetRowRecordIndex(Row), f->Index(), t);
    return t;
  }
  int VisibleRowCount() override { return 10; }
  int CurrentRecordIndex() override { return Row < FC.RowCount() ? FC.GetRowRecordIndex(Row) : -1; }
  int RecNo() override { return Row + 1; }
  Variant GetValue(TkvDbField* f) override {
    Variant v = Variant::Null();
    if (Row < FC.RowCount()) FC.GetRowValue(Row, f, v);
    return v;
  }
  std::shared_ptr<IkwValueReader> ValueReader() override { return nullptr; }
  void Last() override {}
  void MoveBy(int) override {}
  void Next() override {}
  void Prior() override {}
  void SetActiveRecord(int) override {}
  void SetBufferCount(int) override {}
  void SetRecNo(int) override {}
  void SetValueReader(std::shared_ptr<IkwValueReader>) override {}
  void SortByColumn(TkwColumn*, bool) override {}

 private:
  TkvCustomDbDataController& FC;
};

std::vector<Item> Goods() {
  return {{1, Variant("苹果"), Variant(2.0)}, {2, Variant::Null(), Variant(5.0)}, {3, Variant("a\\b"), Variant::Null()}};
}

TEST(GridViewValueReader, FollowsTheCurrentRowOfTheView) {
  Grid<> g(Goods());
  RowView view(*g.C);
  auto reader = std::make_shared<TkwGridViewValueReader>(&view);
  TkvDbField* name = g.Col("NAME")->DbField();
  TkvDbField* qty = g.Col("QTY")->DbField();
  std::shared_ptr<IkwValueField> field = reader->GetValueField(name);
  std::string seen;
  for (int row : {0, 1, 2, 3}) {  // row 3 lies past the last: Null and ''
    view.Row = row;
    seen += std::string(reader->GetDisplayText(name).c_str()) + "|" + (reader->GetValue(qty).IsNull() ? "N" : "v") +
            "|" + field->DisplayText().c_str() + ";";
  }
  EXPECT_EQ(seen, "苹果|v|苹果;|v|;a\\b|N|a\\b;|N|;");
  EXPECT_EQ(field->ValueReader(), reader);
}

TEST(GridViewValueReader, ReadsOnlyFieldItemsAndNothingOnceDetached) {
  Grid<> g(Goods());
  RowView view(*g.C);
  auto reader = std::make_shared<TkwGridViewValueReader>(&view);
  TkvDbField* name = g.Col("NAME")->DbField();
  TObject other;
  EXPECT_TRUE(reader->GetValue(&other).IsNull());
  EXPECT_EQ(reader->GetDisplayText(nullptr), "");
  std::shared_ptr<IkwValueField> field = reader->GetValueField(name);
  reader->Detach();  // the view is gone; what was handed out still answers
  EXPECT_TRUE(field->Value().IsNull());
  EXPECT_EQ(field->DisplayText(), "");
  EXPECT_FALSE(field->AsBoolean());
}

}  // namespace
