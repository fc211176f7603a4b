// Editing in the data-aware grid under Wine, by posted input: typed text reaching the
// field and the footer sum, numeric signs, check-box toggles, appending on an empty grid
// (in the column clicked), and edit limits in GBK bytes.
#include "KwDbGridTestSupport.h"
#include "VCLSource/source/PosGrid/ukvDbEditer.h"

using namespace kwtest;
using namespace uitest;
using namespace kw_dbgrid;

namespace {

struct EditGrid : DbGridForm {
  explicit EditGrid(int rows) : DbGridForm(rows) {}
  void Start(int dataCol) {
    Bind();
    Show();
    grid->SetCol(grid->DataToRawColumn(dataCol));
    Pump();
  }
  void Type(const wchar_t* text) {
    for (const wchar_t* p = text; *p; ++p) PostChar(*p);
    Pump();
  }
  AnsiString Text(int recNo, const char* field) {
    data->SetRecNo(recNo);
    return data->FieldByName(field)->Text();
  }
  void ClickCell(int dataCol, int gridRow) {
    const TRect r = grid->CellRect(grid->DataToRawColumn(dataCol), gridRow);
    const LPARAM at = MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    ::PostMessageW(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(grid->Handle(), WM_LBUTTONUP, 0, at);
    Pump();
  }
};

}  // namespace

// Regression: typed text stayed in the editor and never reached the field.
TEST(KwDbGridEditing, FaultTypedTextIsWrittenToTheFieldAndTheFooterFollows) {
  EditGrid f(5);
  f.grid->SetOptions(f.grid->Options() | GridOption(dgFooter));
  f.Start(2);
  TkwColumn* qty = f.grid->Columns()->Items(2);
  qty->SetTotalColumn(true);
  qty->SetTotalKind(skSum);
  Pump();
  f.grid->SetCol(f.grid->DataToRawColumn(2));
  const double before = f.grid->GetCellValue(qty, -1).AsDouble();  // 1+2+3+4+5
  ASSERT_EQ(before, 15.0);
  f.Type(L"100");
  ASSERT_NE(dynamic_cast<TkwDBGridInplaceEdit*>(f.grid->InplaceEditor()), nullptr);
  PostKey(VK_DOWN);
  EXPECT_EQ(f.data->State(), dsBrowse);
  EXPECT_EQ(f.Focused(), 1);
  EXPECT_EQ(f.grid->GetCellValue(qty, 0).AsDouble(), 100.0);
  EXPECT_EQ(f.grid->GetCellValue(qty, -1).AsDouble(), 114.0);
  EXPECT_EQ(f.Text(1, "QTY"), "100");
}

TEST(KwDbGridEditing, SignAloneInANumericFieldStoresZero) {
  EditGrid f(3);
  f.Start(2);
  f.Type(L"-");
  PostKey(VK_DOWN);
  EXPECT_EQ(f.Text(1, "QTY"), "0");
}

// Regression: a check box wrote its text instead of 1/0 to numeric fields other than
// integers, so a float field was left as it was.
TEST(KwDbGridEditing, FaultCheckBoxWritesOneOrZeroToAFloatField) {
  EditGrid f(8);
  f.Bind();
  f.Show();
  TkwColumn* qty = f.grid->Columns()->Items(2);
  qty->SetButtonStyle(gcbsCheckBox);
  Pump();
  f.ClickCell(2, 1);  // QTY 1: checked, becomes 0
  EXPECT_EQ(f.grid->GetCellValue(qty, 0).AsDouble(), 0.0);
  f.ClickCell(2, 1);  // back to 1
  EXPECT_EQ(f.grid->GetCellValue(qty, 0).AsDouble(), 1.0);
  f.ClickCell(2, 7);  // ID 7: QTY 0, becomes 1
  EXPECT_EQ(f.grid->GetCellValue(qty, 6).AsDouble(), 1.0);
  EXPECT_EQ(f.data->RecordCount(), 8);
}

// Regression: typing into an empty grid appended a record also where the column cannot
// be modified.
TEST(KwDbGridEditing, FaultEmptyGridAppendsOnlyWhenTheColumnCanBeModified) {
  EditGrid f(0);
  f.Bind();
  f.Show();
  TkwColumn* name = f.grid->Columns()->Items(1);
  name->SetReadOnly(true);
  f.grid->SetCol(f.grid->DataToRawColumn(1));
  f.Type(L"x");
  EXPECT_EQ(f.data->RecordCount(), 0);
  EXPECT_EQ(f.data->State(), dsBrowse);
  name->SetReadOnly(false);
  f.grid->SetCol(f.grid->DataToRawColumn(1));
  f.Type(L"y");
  EXPECT_EQ(f.data->State(), dsInsert);
}

// Regression: the edit limit of a string field counted characters, so double-byte text
// overflowed the field's size in bytes.
TEST(KwDbGridEditing, FaultEditLimitCountsGbkBytes) {
  EditGrid f(2);
  f.Start(1);  // NAME, 20 bytes
  f.Type(L"甲乙丙丁戊己庚辛壬癸子丑");  // 12 characters, 24 bytes
  ASSERT_NE(f.grid->InplaceEditor(), nullptr);
  EXPECT_EQ(f.grid->InplaceEditor()->MaxLength(), 20);
  EXPECT_EQ(f.grid->InplaceEditor()->Text(), "甲乙丙丁戊己庚辛壬癸");
  PostKey(VK_DOWN);
  EXPECT_EQ(f.Text(1, "NAME"), "甲乙丙丁戊己庚辛壬癸");
}

TEST(KwDbGridEditing, EscapeDropsTheTypedTextThenTheEditAndTheMarks) {
  EditGrid f(5);
  f.grid->SetOptions(f.grid->Options() | GridOption(dgMultiSelect));
  f.Start(2);
  f.grid->SelectRow(3, true, false);
  ASSERT_EQ(f.grid->SelectedRecs().Count(), 1);
  f.Type(L"77");
  ASSERT_EQ(f.data->State(), dsEdit);
  PostKey(VK_ESCAPE);
  EXPECT_EQ(f.grid->SelectedRecs().Count(), 0);
  PostKey(VK_ESCAPE);
  EXPECT_EQ(f.data->State(), dsBrowse);
  PostKey(VK_DOWN);
  EXPECT_EQ(f.Text(1, "QTY"), "1");
  EXPECT_EQ(f.data->RecordCount(), 5);
}

// Regression: a click on a row below the data left the current column where it was: in
// an empty grid the keys typed after a click on PRICE made a record with them in ID. The
// row clicked has nothing to focus; its column becomes current.
TEST(KwDbGridEditing, FaultAClickBelowTheDataLeftTheColumnWhereItWas) {
  EditGrid f(0);
  f.Bind();
  f.Show();
  ASSERT_EQ(f.grid->SelectedIndex(), 0);
  f.ClickCell(3, f.grid->TitleOffset());  // the blank row an empty grid shows
  std::string got = std::string(f.grid->SelectedColumn()->FieldName()) + " " + std::to_string(f.Focused());
  for (char ch : std::string("12")) PostKey(static_cast<WORD>(ch));
  PostKey(VK_DOWN);
  got += " | " + std::string(f.grid->SelectedColumn()->FieldName()) + " " + std::to_string(f.data->RecordCount()) + ": ";
  f.data->First();
  for (const char* field : {"ID", "NAME", "QTY", "PRICE"}) got += std::string(f.data->FieldByName(field)->Text()) + "/";
  EXPECT_EQ(got, "PRICE -1 | PRICE 1: ///12/");
}
