// The data-aware grid's view under Wine: its value reader of the current row, and a
// display-text reader placed on the current row's record, with the rows moved by keys.
#include "KwDbGridTestSupport.h"
#include "VCLSource/source/PosGrid/ukvDbHelperController.h"

using namespace kwtest;
using namespace uitest;

namespace {

TEST(KwDbGridView, ValueReaderReadsTheRowTheKeysReached) {
  DbGridForm f(30);
  f.Bind();
  f.Show();
  TkwCustomDbGridView& view = f.View();
  std::shared_ptr<IkwValueReader> reader = view.ValueReader();
  ASSERT_NE(reader, nullptr);
  TkvDbField* name = f.grid->FindColumnByFieldName("NAME")->DbField();
  std::shared_ptr<IkwValueField> field = reader->GetValueField(name);
  PostKey(VK_DOWN);
  PostKey(VK_DOWN);
  Pump();
  EXPECT_EQ(field->DisplayText(), "商品3");
  // Sorted by ID descending the third row is record 27 (ID 28).
  view.SortByColumn(f.grid->FindColumnByFieldName("ID"), true);
  view.SortByColumn(f.grid->FindColumnByFieldName("ID"), true);
  Pump();
  PostKeyWith(VK_CONTROL, VK_HOME);
  PostKey(VK_DOWN);
  PostKey(VK_DOWN);
  Pump();
  EXPECT_EQ(field->DisplayText(), "商品28");
  std::shared_ptr<IkwDisplayTextValueReader> placed = f.grid->DataController()->DisplayTextReader();
  view.ReadCurrentRecord(*placed);
  EXPECT_EQ(placed->GetRecordIndex(), 27);
  EXPECT_EQ(placed->GetDisplayText(name), "商品28");
  auto other = std::make_shared<TkwGridViewValueReader>(&view);
  view.SetValueReader(other);
  EXPECT_EQ(view.ValueReader(), other);
}

// Regression: a padding row below the data (MinRowCount) read Unassigned, not Null. It
// has no record: Null, no text, and a reader placed on it reads nothing.
TEST(KwDbGridView, FaultRowPastTheDataReadsNull) {
  DbGridForm f(3);
  f.Bind();
  f.grid->SetMinRowCount(8);
  f.Show();
  TkwCustomDbGridView& view = f.View();
  TkvDbField* qty = f.grid->FindColumnByFieldName("QTY")->DbField();
  std::shared_ptr<IkwValueField> field = view.ValueReader()->GetValueField(qty);
  EXPECT_EQ(field->AsFloat(), 1.0);
  view.SetActiveRecord(5);  // as painting does for the sixth grid row
  EXPECT_TRUE(field->Value().IsNull());
  EXPECT_EQ(field->DisplayText(), "");
  std::shared_ptr<IkwDisplayTextValueReader> placed = f.grid->DataController()->DisplayTextReader();
  view.ReadCurrentRecord(*placed);
  EXPECT_EQ(placed->GetRecordIndex(), -1);
  EXPECT_TRUE(placed->GetValue(qty).IsNull());
  view.SetActiveRecord(0);
}

// The reader handed out outlives the grid and then reads nothing.
TEST(KwDbGridView, ReaderOutlivingTheGridReadsNothing) {
  std::shared_ptr<IkwValueField> field;
  {
    DbGridForm f(3);
    f.Bind();
    f.Show();
    field = f.View().ValueReader()->GetValueField(f.grid->FindColumnByFieldName("QTY")->DbField());
    EXPECT_EQ(field->AsInteger(), 1);
  }
  EXPECT_TRUE(field->Value().IsNull());
}

}  // namespace
