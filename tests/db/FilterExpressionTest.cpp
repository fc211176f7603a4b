// Filter expressions on a client dataset: a table of expressions and the rows they keep,
// malformed texts and their errors, GBK text.
#include "DbTestUtil.h"
#include "rtl/DateTime.h"

using namespace dbtest;

namespace {

// Id, Name, typeid, Stop, Price, D (date), Flag, Code (with Nulls).
std::unique_ptr<TClientDataSet> Goods() {
  auto d = [](int y, int m, int day) { return Variant::FromDate(EncodeDate(y, m, day)); };
  const Variant null = Variant::Null();
  return MakeDataSet(
      {Col("Id", ftInteger), Col("Name", ftString, 30), Col("typeid", ftString, 10),
       Col("Stop", ftSmallint), Col("Price", ftFloat), Col("D", ftDate), Col("Flag", ftBoolean),
       Col("Code", ftString, 10)},
      {
          {Variant(1), Variant("衬衫"), Variant("a"), Variant(short(0)), Variant(12.5), d(2024, 3, 5), Variant(true), Variant("x")},
          {Variant(2), Variant("O'Brien"), Variant("b"), Variant(short(1)), Variant(3.0), d(2024, 3, 6), Variant(false), null},
          {Variant(3), Variant("ABC"), Variant("c"), Variant(short(0)), Variant(7.25), d(2024, 3, 4), Variant(false), Variant("y")},
          {Variant(4), Variant("abd"), Variant("b"), Variant(short(0)), null, d(2024, 3, 5), null, Variant("x")},
          {Variant(5), Variant("长衫乤"), Variant("AB1"), Variant(short(0)), Variant(100.0), null, Variant(true), null},
          {Variant(6), Variant("乢x"), Variant("ab2"), Variant(short(1)), Variant(-1.0), d(2023, 12, 31), Variant(true), Variant("*")},
      });
}

struct Case {
  const char* filter;
  TFilterOptions options;
  const char* ids;
};

const Case kCases[] = {
    // What the screens send.
    {"Stop = 0", 0, "1,3,4,5"},
    {"typeid in ('a','b') and Stop = 0", 0, "1,4"},
    {"typeid = 'b'", 0, "2,4"},
    {"typeid in ('a','b') and Stop = 0 and Stop = 0", 0, "1,4"},
    // Comparison operators, numbers, strings.
    {"Price >= 12.5", 0, "1,5"},
    {"Price < 0", 0, "6"},
    {"Price <> 3", 0, "1,3,5,6"},
    {"Price != 3", 0, "1,3,5,6"},
    {"Id > 4 or Id < 2", 0, "1,5,6"},
    {"Name > 'b'", 0, "1,2,5,6"},
    {"Name = 'O''Brien'", 0, "2"},
    {"Name = 'abc'", 0, ""},
    {"Name = 'abc'", foCaseInsensitive, "3"},
    {"Stop = '0'", 0, "1,3,4,5"},
    // Partial compare of a trailing '*'.
    {"(Name='AB*' or typeid='AB*')", 0, "3,5"},
    {"(Name='AB*' or typeid='AB*')", foCaseInsensitive, "3,4,5,6"},
    {"typeid = 'AB*'", foNoPartialCompare, ""},
    {"Code = '*'", foNoPartialCompare, "6"},
    {"Name <> 'A*'", 0, "1,2,4,5,6"},
    // NULL.
    {"Code is null", 0, "2,5"},
    {"Code is not null", 0, "1,3,4,6"},
    {"Code = NULL", 0, "2,5"},
    {"Code <> NULL", 0, "1,3,4,6"},
    {"Code <> 'x'", 0, "3,6"},
    {"not (Code = 'x')", 0, "3,6"},
    {"Price > 0 or Code = 'y'", 0, "1,2,3,5"},
    // LIKE, IN, BETWEEN.
    {"Name like '%衫%'", 0, "1,5"},
    {"Name like '%衫'", 0, "1"},
    {"Name like '长%'", 0, "5"},
    {"Name like '_衫'", 0, "1"},
    {"Name like 'a_d'", 0, "4"},
    {"Name like 'A%'", foCaseInsensitive, "3,4"},
    {"Name not like '%衫%'", 0, "2,3,4,6"},
    {"Id in (1, 3, 6)", 0, "1,3,6"},
    {"typeid not in ('a', 'b')", 0, "3,5,6"},
    {"Price between 3 and 12.5", 0, "1,2,3"},
    {"Price not between 3 and 12.5", 0, "5,6"},
    {"Price BETWEEN 3 AND 12.5 AND Stop = 1", 0, "2"},
    // Dates as quoted text, Booleans.
    {"D = '2024-03-05'", 0, "1,4"},
    {"(D >= '2024-03-05') AND (D < '2024-03-06')", 0, "1,4"},
    {"D < '2024-01-01'", 0, "6"},
    {"Flag = True", 0, "1,5,6"},
    {"Flag", 0, "1,5,6"},
    {"not Flag", 0, "2,3"},
    {"Flag = 'False'", 0, "2,3"},
    // Names: case, brackets, quotes; keywords in any case.
    {"[Name] = 'ABC' OR \"Id\" = 2", 0, "2,3"},
    {"NAME = 'ABC' AnD sToP = 0", 0, "3"},
    {"((((Id = 1))))", 0, "1"},
    {"not not Id = 1", 0, "1"},
    {"  ", 0, "1,2,3,4,5,6"},
    // Whole GBK characters: 乤 (81 61) is not 丄 (81 41), even ignoring case, and the
    // trail byte '_' of 乢 (81 5F) is no wildcard.
    {"Name like '%丄'", foCaseInsensitive, ""},
    {"Name like '%乤'", foCaseInsensitive, "5"},
    {"Name = '长衫丄'", foCaseInsensitive, ""},
    {"Name like '%乢%'", 0, "6"},
    {"Name like '长衫乢'", 0, ""},
    {"Name = '长*'", 0, "5"},
};

class FilterTable : public ::testing::TestWithParam<Case> {};

TEST_P(FilterTable, KeepsTheExpectedRows) {
  const Case& c = GetParam();
  auto ds = Goods();
  ds->SetFilterOptions(c.options);
  ds->SetFilter(c.filter);
  ds->SetFiltered(true);
  EXPECT_EQ(Ids(*ds), c.ids) << c.filter;
  EXPECT_EQ(ds->RecordCount(), c.ids[0] ? static_cast<int>(std::count(c.ids, c.ids + strlen(c.ids), ',') + 1) : 0);
}

INSTANTIATE_TEST_SUITE_P(Expressions, FilterTable, ::testing::ValuesIn(kCases));

struct BadCase {
  const char* filter;
  const char* message;
  int position;
};

const BadCase kBad[] = {
    {"Stop = ", "Expression expected but end of text found at position 8", 8},
    {"Stop = 'abc", "Unterminated string constant at position 8", 8},
    {"[Stop = 0", "Unterminated field name at position 1", 1},
    {"Stop = 0 )", "Filter expression incorrectly terminated by ')' at position 10", 10},
    {"Stop # 0", "Invalid filter expression character: '#' at position 6", 6},
    {"(Stop = 0", "')' expected but end of text found at position 10", 10},
    {"typeid in 'a'", "'(' expected but 'a' found at position 11", 11},
    {"typeid in ('a' 'b')", "')' or ',' expected but 'b' found at position 16", 16},
    {"Stop < NULL", "NULL only allowed with '=' and '<>' at position 6", 6},
    {"Code is 5", "NULL expected but 5 found at position 9", 9},
    {"Price between 1 or 2", "AND expected but OR found at position 17", 17},
    {"and Stop = 0", "Expression expected but AND found at position 1", 1},
    {"Stop = 0 and", "Expression expected but end of text found at position 13", 13},
    {"Stop = - x", "Number expected but x found at position 10", 10},
    {"Name not = 'a'", "LIKE, IN or BETWEEN expected but '=' found at position 10", 10},
    {"Name = 1e999", "Constant out of range at position 8", 8},
    {"Name = '\x81", "Unterminated string constant at position 8", 8},
};

class FilterErrors : public ::testing::TestWithParam<BadCase> {};

TEST_P(FilterErrors, NameThePosition) {
  const BadCase& c = GetParam();
  auto ds = Goods();
  try {
    ds->SetFilter(c.filter);
    FAIL() << "accepted: " << c.filter;
  } catch (const EFilterExpressionError& e) {
    EXPECT_EQ(e.Message(), c.message);
    EXPECT_EQ(e.Position(), c.position);
  }
}

INSTANTIATE_TEST_SUITE_P(Malformed, FilterErrors, ::testing::ValuesIn(kBad));

TEST(FilterErrors, NestingIsBounded) {
  auto ds = Goods();
  const std::string deep = std::string(200, '(') + "Id = 1" + std::string(200, ')');
  EXPECT_THROW(ds->SetFilter(deep), EFilterExpressionError);
  const std::string nots = [] { std::string s; for (int i = 0; i < 500; ++i) s += "not "; return s + "Flag"; }();
  EXPECT_THROW(ds->SetFilter(nots), EFilterExpressionError);
  // Long flat chains are fine.
  std::string chain = "Id = 1";
  for (int i = 0; i < 5000; ++i) chain += " or Id = " + std::to_string(i + 2);
  ds->SetFilter(chain);
  ds->SetFiltered(true);
  EXPECT_EQ(ds->RecordCount(), 6);
}

TEST(FilterErrors, MalformedTextKeepsTheFilterInForce) {
  auto ds = Goods();
  ds->SetFilter("Stop = 1");
  ds->SetFiltered(true);
  EXPECT_THROW(ds->SetFilter("Stop = "), EFilterExpressionError);
  EXPECT_EQ(ds->Filter(), "Stop = 1");
  EXPECT_EQ(Ids(*ds), "2,6");
}

TEST(FilterErrors, UnknownFieldFailsWhenFilteringStarts) {
  auto ds = Goods();
  ds->SetFilter("Nope = 1");  // parses: fields are looked up when filtering
  try {
    ds->SetFiltered(true);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Field 'Nope' not found");
  }
  EXPECT_FALSE(ds->Filtered());
  EXPECT_EQ(ds->RecordCount(), 6);
}

TEST(FilterErrors, TextThatIsNoNumberAgainstANumericFieldIsAMismatch) {
  auto ds = Goods();
  ds->SetFilter("Price = 'abc'");
  EXPECT_THROW(ds->SetFiltered(true), EDatabaseError);
  EXPECT_EQ(ds->RecordCount(), 6);
  ds->SetFilter("D = 'someday'");
  EXPECT_THROW(ds->SetFiltered(true), EDatabaseError);
}

TEST(FilterBehaviour, ChangingTheTextWhileFilteredRefilters) {
  auto ds = Goods();
  ds->SetFilter("Stop = 0");
  ds->SetFiltered(true);
  ds->Last();
  ds->SetFilter("Stop = 1");
  EXPECT_EQ(ds->RecNo(), 1);
  EXPECT_EQ(Ids(*ds), "2,6");
  ds->SetFiltered(false);
  EXPECT_EQ(ds->RecordCount(), 6);
  EXPECT_EQ(ds->Filter(), "Stop = 1");
}

TEST(FilterBehaviour, OnFilterRecordCombinesWithTheText) {
  auto ds = Goods();
  ds->OnFilterRecord = [](TDataSet* d, bool& accept) {
    EXPECT_EQ(d->State(), dsFilter);
    accept = d->FieldByName("Id")->AsInteger() % 2 == 1;
  };
  ds->SetFilter("Stop = 0");
  ds->SetFiltered(true);
  EXPECT_EQ(Ids(*ds), "1,3,5");
  EXPECT_EQ(ds->State(), dsBrowse);
}

TEST(FilterBehaviour, PostedRecordLeavingTheFilterDisappears) {
  auto ds = Goods();
  ds->SetFilter("Stop = 0");
  ds->SetFiltered(true);
  ds->First();
  ds->Edit();
  ds->FieldByName("Stop")->SetAsInteger(1);
  ds->Post();
  EXPECT_EQ(Ids(*ds), "3,4,5");
  EXPECT_EQ(ds->FieldByName("Id")->AsInteger(), 3);
}

TEST(FilterBehaviour, RecNoAndRecordCountCountShownRecords) {
  auto ds = Goods();
  ds->SetFilter("Stop = 0");
  ds->SetFiltered(true);
  ds->SetRecNo(3);
  EXPECT_EQ(ds->FieldByName("Id")->AsInteger(), 4);
  EXPECT_EQ(ds->RecordCount(), 4);
}

TEST(LikeMatch, WholeCharacters) {
  using dbfilter::LikeMatch;
  EXPECT_TRUE(LikeMatch("abc", "a%", false));
  EXPECT_TRUE(LikeMatch("abc", "%", false));
  EXPECT_TRUE(LikeMatch("", "%", false));
  EXPECT_FALSE(LikeMatch("", "_", false));
  EXPECT_TRUE(LikeMatch("abcabc", "%b_a%c", false));
  EXPECT_TRUE(LikeMatch("衬衫", "__", false));
  EXPECT_FALSE(LikeMatch("衬衫", "___", false));
  EXPECT_TRUE(LikeMatch("aXbXc", "a%c", false));
  EXPECT_FALSE(LikeMatch("乤", "丄", true));
  EXPECT_TRUE(LikeMatch("ABC", "a%c", true));
  EXPECT_FALSE(LikeMatch("ABC", "a%c", false));
  // A lead byte at the very end counts as one character and never reads past the text.
  EXPECT_TRUE(LikeMatch("a\x81", "a_", false));
  EXPECT_TRUE(LikeMatch(std::string(5000, 'a'), std::string(50, '%') + "b%" , false) == false);
}

}  // namespace
