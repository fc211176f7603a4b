// The filter dialog without its window: the panel a column gets, the radio group's range,
// the conditions built from typed values, and how they act on the grid's filter.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "ColumnsFixture.h"
#include "DataControllerFixture.h"
#include "VCLSource/source/PosGrid/fukvGridFilterConditions.h"
#include "VCLSource/source/PosGrid/ukvDbHelperFilter.h"
#include "rtl/FormatSettings.h"

using kwtest::FakeGrid;

namespace {

enum FieldKind { kString, kNumeric, kDate };

class StubField : public IkwField {
 public:
  explicit StubField(FieldKind kind) : FKind(kind) {}
  Variant GetAsVariant() override { return Variant(); }
  bool CanModify() override { return false; }
  AnsiString FieldName() override { return "F"; }
  bool IsDateTimeField() override { return FKind == kDate; }
  bool IsNumericField() override { return FKind == kNumeric; }
  bool IsStringField() override { return FKind == kString; }
  void SetAsVariant(const Variant&) override {}

 private:
  FieldKind FKind;
};

class StubColumn : public IkwColumn {
 public:
  explicit StubColumn(IkwField* field) : FField(field) {}
  bool HasValueExpression() override { return false; }
  Variant EvaluateValueExpression(int) override { return Variant(); }
  IkwField* GetField() override { return FField; }

 private:
  IkwField* FField;
};

// Records what the dialog asks of the grid's filter, one line per call.
class RecordingFilter : public IkwGridFilter {
 public:
  bool GetActive() override { return Active; }
  void SetActive(bool value) override {
    Active = value;
    Log << "active " << value << "\n";
  }
  void AddItem(IkwColumn*, TkvFilterOperatorKind kind, const Variant& value, const AnsiString& text) override {
    ++Items;
    Log << "add " << int(kind) << " " << VarToStr(value) << " '" << text << "'\n";
  }
  void BeginUpdate() override { Log << "begin\n"; }
  void Clear() override {
    Items = 0;
    Log << "clear\n";
  }
  void EndUpdate() override { Log << "end\n"; }
  int ItemCount() override { return Items; }
  int Items = 0;
  bool Active = false;
  std::ostringstream Log;
};

std::string Render(const TkwFilterConditions& conditions) {
  std::string s;
  for (const TkwFilterCondition& c : conditions)
    s += std::to_string(int(c.OperatorKind)) + " " + std::string(VarToStr(c.Value)) + " '" + c.DisplayText + "'\n";
  return s;
}

// The data module's formats, which the dialog's date texts follow.
class DataModuleFormats : public ::testing::Test {
 protected:
  void SetUp() override {
    FormatSettings.ShortDateFormat = "yyyy-MM-dd";
    FormatSettings.DateSeparator = '-';
    FormatSettings.DecimalSeparator = '.';
  }
  void TearDown() override { FormatSettings = Saved; }
  const TFormatSettings Saved = FormatSettings;
};

TEST(FilterDialogKind, PanelFollowsTheColumnsField) {
  StubField text(kString), number(kNumeric), date(kDate);
  StubColumn onText(&text), onNumber(&number), onDate(&date), noField(nullptr);
  EXPECT_EQ(ConditionKindOf(&onText), fckText);
  EXPECT_EQ(ConditionKindOf(&onNumber), fckNumeric);
  EXPECT_EQ(ConditionKindOf(&onDate), fckDate);
  EXPECT_EQ(ConditionKindOf(&noField), fckText);
  EXPECT_EQ(ConditionKindOf(nullptr), fckText);
}

TEST(FilterDialogKind, RealFieldsOfTheGoodsDataSet) {
  FakeGrid g;
  TkwColumn* id = g.Columns->Add();
  id->SetFieldName("ID");
  TkwColumn* name = g.Columns->Add();
  name->SetFieldName("NAME");
  TkwColumn* qty = g.Columns->Add();
  qty->SetFieldName("QTY");
  g.Load();
  EXPECT_EQ(ConditionKindOf(id), fckNumeric);
  EXPECT_EQ(ConditionKindOf(name), fckText);
  EXPECT_EQ(ConditionKindOf(qty), fckNumeric);
}

TEST(FilterDialogRange, ItemsZeroAndOneElseCancel) {
  EXPECT_EQ(FilterRangeOf(0), frFromAll);
  EXPECT_EQ(FilterRangeOf(1), frFromCurrent);
  EXPECT_EQ(FilterRangeOf(2), frCancelAll);
  EXPECT_EQ(FilterRangeOf(-1), frCancelAll);
  EXPECT_EQ(FilterRangeOf(7), frCancelAll);
}

TEST_F(DataModuleFormats, TextEqualOrLike) {
  StubField f(kString);
  StubColumn c(&f);
  TkwFilterInput in;
  in.Text = "abc";
  EXPECT_EQ(Render(BuildFilterConditions(&c, frFromAll, in)), "0 abc 'abc'\n");
  in.Like = true;
  EXPECT_EQ(Render(BuildFilterConditions(&c, frFromCurrent, in)), "6 %abc% '%abc%'\n");
}

TEST_F(DataModuleFormats, NumericBoundsOnlyWhenTyped) {
  StubField f(kNumeric);
  StubColumn c(&f);
  TkwFilterInput in;
  EXPECT_EQ(Render(BuildFilterConditions(&c, frFromAll, in)), "");
  in.Min = "10";
  in.Max = "20.5";
  EXPECT_EQ(Render(BuildFilterConditions(&c, frFromAll, in)), "5 10 '10'\n3 20.5 '20.5'\n");
  in.Min = "";
  EXPECT_EQ(Render(BuildFilterConditions(&c, frFromAll, in)), "3 20.5 '20.5'\n");
}

TEST_F(DataModuleFormats, CancelAllBuildsNothing) {
  StubField f(kString);
  StubColumn c(&f);
  TkwFilterInput in;
  in.Text = "abc";
  EXPECT_TRUE(BuildFilterConditions(&c, frCancelAll, in).empty());
}

TEST_F(DataModuleFormats, InvalidNumberRefusesInsteadOfFilteringByZero) {
  StubField f(kNumeric);
  StubColumn c(&f);
  TkwFilterInput in;
  in.Min = "10";
  in.Max = "abc";
  try {
    BuildFilterConditions(&c, frFromAll, in);
    FAIL() << "no error";
  } catch (const EkwFilterValueError& e) {
    EXPECT_EQ(std::string(e.Message()), "筛选数值不是数字：abc");
  }
}

TEST_F(DataModuleFormats, DateRangeIncludesBothEndDays) {
  StubField f(kDate);
  StubColumn c(&f);
  TkwFilterInput in;
  in.Begin = EncodeDate(2024, 5, 1) + 0.75;  // a picker's time of day is ignored
  in.End = EncodeDate(2024, 5, 31);
  const TkwFilterConditions got = BuildFilterConditions(&c, frFromAll, in);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].OperatorKind, foGreaterEqual);
  EXPECT_EQ(got[0].Value.AsDouble(), EncodeDate(2024, 5, 1));
  EXPECT_EQ(got[0].DisplayText, "2024-05-01");
  EXPECT_EQ(got[1].OperatorKind, foLess);
  EXPECT_EQ(got[1].Value.AsDouble(), EncodeDate(2024, 6, 1));
  EXPECT_EQ(got[1].DisplayText, "2024-05-31");
}

TEST_F(DataModuleFormats, NoColumnSelectedBuildsNothing) {
  TkwFilterInput in;
  in.Text = "abc";
  EXPECT_TRUE(BuildFilterConditions(nullptr, frFromAll, in).empty());
}

TEST(FilterDialogApply, EachRangeInOneUpdate) {
  StubField f(kNumeric);
  StubColumn c(&f);
  const TkwFilterConditions two = {{foGreaterEqual, Variant(1.0), "1"}, {foLessEqual, Variant(2.0), "2"}};
  {
    RecordingFilter r;
    ApplyFilterConditions(r, &c, frFromAll, two);
    EXPECT_EQ(r.Log.str(), "begin\nclear\nadd 5 1 '1'\nadd 3 2 '2'\nend\nactive 1\n");
  }
  {
    RecordingFilter r;
    r.Items = 1;
    ApplyFilterConditions(r, &c, frFromCurrent, {two[0]});
    EXPECT_EQ(r.Log.str(), "begin\nadd 5 1 '1'\nend\nactive 1\n");
    EXPECT_EQ(r.Items, 2);
  }
  {
    RecordingFilter r;
    r.Items = 3;
    ApplyFilterConditions(r, &c, frCancelAll, {});
    EXPECT_EQ(r.Log.str(), "begin\nclear\nend\nactive 0\n");
  }
  {
    RecordingFilter r;  // from all with nothing typed: the filter is cleared and off
    ApplyFilterConditions(r, &c, frFromAll, {});
    EXPECT_EQ(r.Log.str(), "begin\nclear\nend\nactive 0\n");
  }
}

// The filter's EndUpdate may raise (its change notice fails): the error reaches the
// dialog, and the filter is not switched on over conditions that did not apply.
TEST(FilterDialogApply, AFailingEndOfTheUpdateReachesTheCaller) {
  struct FailingEnd : RecordingFilter {
    void EndUpdate() override {
      RecordingFilter::EndUpdate();
      throw Exception("notice failed");
    }
  };
  StubField f(kNumeric);
  StubColumn c(&f);
  FailingEnd r;
  EXPECT_THROW(ApplyFilterConditions(r, &c, frFromAll, {{foGreaterEqual, Variant(1.0), "1"}}), Exception);
  EXPECT_EQ(r.Log.str(), "begin\nclear\nadd 5 1 '1'\nend\n");
}

TEST_F(DataModuleFormats, NumericRangeFiltersTheControllersRows) {
  FakeGrid g;
  TkwColumn* qty = g.Columns->Add();
  qty->SetFieldName("QTY");
  g.Load();
  TkwGridFilter filter(g.C->Filter());
  TkwFilterInput in;
  in.Min = "3";
  in.Max = "5";
  ApplyFilterConditions(filter, qty, frFromAll, BuildFilterConditions(qty, frFromAll, in));
  EXPECT_EQ(g.C->RowCount(), 2);  // 梨 3 and 桃 5: both bounds are inside
  in.Min = "";
  in.Max = "4";
  ApplyFilterConditions(filter, qty, frFromCurrent, BuildFilterConditions(qty, frFromCurrent, in));
  EXPECT_EQ(g.C->RowCount(), 1);
  ApplyFilterConditions(filter, qty, frCancelAll, {});
  EXPECT_EQ(g.C->RowCount(), 3);
  EXPECT_FALSE(filter.GetActive());
}

// A column over one field of the data controller and its dataset field.
class ControllerColumn : public IkwColumn {
 public:
  ControllerColumn(kvtest::Grid& g, const char* name) : FField(g.DataSet->FieldByName(name)), FItem(g.F(name)) {}
  bool HasValueExpression() override { return false; }
  Variant EvaluateValueExpression(int) override { return Variant(); }
  IkwField* GetField() override { return &FField; }
  TkvDbField* DbField() override { return FItem; }

 private:
  TkwField FField;
  TkvDbField* FItem;
};

// Mended fault: a text the Boolean column cannot take passed the dialog, and the filter
// refused it only while it was applied, after the old conditions were cleared. The OK is
// refused now with nothing built, so the old filter stays; a text the column takes
// (True, in any case) still filters.
TEST_F(DataModuleFormats, FaultTextOnABooleanColumnClearedTheOldFilter) {
  kvtest::Grid g({{1, "a", 1.0, 0, 45000.0, true}, {2, "b", 2.0, 0, 45000.0, false}, {3, "c", 3.0, 0, 45000.0, true}});
  ControllerColumn id(g, "ID"), active(g, "ACTIVE");
  ASSERT_EQ(ConditionKindOf(&active), fckText);
  TkwGridFilter filter(g.C->Filter());
  TkwFilterInput in;
  in.Min = "2";
  ApplyFilterConditions(filter, &id, frFromAll, BuildFilterConditions(&id, frFromAll, in));
  ASSERT_EQ(g.RowIds(), "2 3");
  const AnsiString before = g.C->Filter().FilterText();
  TkwFilterInput text;
  text.Text = "abc";
  for (TkwFilterRange range : {frFromAll, frFromCurrent}) {
    try {
      BuildFilterConditions(&active, range, text);
      FAIL() << "no error";
    } catch (const EkwFilterValueError& e) {
      EXPECT_EQ(std::string(e.Message()), "筛选条件不符合该列的类型：abc");
    }
  }
  EXPECT_EQ(g.C->Filter().FilterText(), before);
  EXPECT_EQ(g.RowIds(), "2 3");
  text.Text = "true";
  ApplyFilterConditions(filter, &active, frFromCurrent, BuildFilterConditions(&active, frFromCurrent, text));
  EXPECT_EQ(g.RowIds(), "3");
  // The like condition stays a text pattern on any column.
  text.Like = true;
  EXPECT_EQ(Render(BuildFilterConditions(&active, frFromAll, text)), "6 %true% '%true%'\n");
}

// Mended fault: bounds typed for an integer column were rounded to it ("数值>= 1.5"
// let 1 through while the condition read 1.5). They filter as they read.
TEST_F(DataModuleFormats, FaultIntegerColumnRoundedTheTypedBounds) {
  kvtest::Grid g({{1, "a", 1.0, 0, 45000.0, true}, {2, "b", 2.0, 0, 45000.0, false}, {3, "c", 3.0, 0, 45000.0, true}});
  ControllerColumn id(g, "ID");
  TkwGridFilter filter(g.C->Filter());
  TkwFilterInput in;
  in.Min = "1.5";
  in.Max = "2.5";
  ApplyFilterConditions(filter, &id, frFromAll, BuildFilterConditions(&id, frFromAll, in));
  EXPECT_EQ(g.RowIds(), "2");
  EXPECT_EQ(std::string(g.C->Filter().FilterText()), "(ID >= 1.5) AND (ID <= 2.5)");
  in.Min = "2.5";
  in.Max = "";
  ApplyFilterConditions(filter, &id, frFromAll, BuildFilterConditions(&id, frFromAll, in));
  EXPECT_EQ(g.RowIds(), "3");
}

}  // namespace
