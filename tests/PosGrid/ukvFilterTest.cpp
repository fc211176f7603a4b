// Filters: filter and display text of every operator, evaluation, date windows on a
// fixed clock, tree editing, the binary form and the value list.
#include <gtest/gtest.h>

#include <map>
#include "VCLSource/source/PosGrid/ukvFilter.h"
#include "VCLSource/source/PosGrid/ukvVariant.h"

namespace {

struct Field : TObject {
  Field(const char* n, const char* c, int id) : Name(n), Caption(c), Id(id) {}
  AnsiString Name, Caption;
  int Id;
};

// Criteria over a small in-memory table: record index -> field -> value.
class TestCriteria : public TkvFilterCriteria {
 public:
  Field Qty{"QTY", "数量", 1}, Name{"NAME", "名称", 2}, Day{"DAY", "日期", 3};
  std::map<int, std::map<Field*, Variant>> Rows;
  bool MapLinks = true;

  int32_t GetIdByLink(TObject* link) override { return link ? static_cast<Field*>(link)->Id : 0; }
  TObject* GetLinkById(int32_t id) override {
    if (!MapLinks) return nullptr;
    for (Field* f : {&Qty, &Name, &Day})
      if (f->Id == id) return f;
    return nullptr;
  }
  std::unique_ptr<TkvFilterCriteriaItem> CreateItem(TkvFilterCriteriaItemList* parent, TObject* link,
                                                    TkvFilterOperatorKind kind, const Variant& value,
                                                    const AnsiString& displayValue) override;
};

class TestItem : public TkvFilterCriteriaItem {
 public:
  using TkvFilterCriteriaItem::TkvFilterCriteriaItem;
  void GetDataValue(int recordIndex, Variant& v) override {
    auto* c = static_cast<TestCriteria*>(GetCriteria());
    auto& row = c->Rows[recordIndex];
    auto it = row.find(static_cast<Field*>(Link()));
    v = it == row.end() ? Variant::Null() : it->second;
  }
  void GetFieldName(AnsiString& s) override { s = Link() ? static_cast<Field*>(Link())->Name : AnsiString("A; B"); }
  void GetFieldCaption(AnsiString& s) override { s = Link() ? static_cast<Field*>(Link())->Caption : AnsiString(); }
};

std::unique_ptr<TkvFilterCriteriaItem> TestCriteria::CreateItem(TkvFilterCriteriaItemList* parent, TObject* link,
                                                                 TkvFilterOperatorKind kind, const Variant& value,
                                                                 const AnsiString& displayValue) {
  return std::make_unique<TestItem>(parent, link, kind, value, displayValue);
}

// Fixed clock: Tuesday 15 December 2026, weeks starting on Monday.
struct FixedClock {
  FixedClock() : OldToday(kvFilterToday), OldWeek(kvFirstDayOfWeekSetting) {
    kvFilterToday = [] { return EncodeDate(2026, 12, 15) + 0.5; };
    kvFirstDayOfWeekSetting = [] { return AnsiString("0"); };
  }
  ~FixedClock() {
    kvFilterToday = OldToday;
    kvFirstDayOfWeekSetting = OldWeek;
  }
  std::function<TDateTime()> OldToday;
  std::function<AnsiString()> OldWeek;
};

struct TextRow {
  TkvFilterOperatorKind Kind;
  Variant Value;
  const char* Display;
  TkvFilterCriteriaOptions Options;
  const char* FilterText;
  const char* DisplayText;
};

TEST(FilterText, EveryOperatorKind) {
  FixedClock clock;
  const TextRow rows[] = {
      {foEqual, 5, "5", 0, "(QTY = 5)", "(数量 = 5)"},
      {foEqual, 5, "5", fcoShowOperatorDescription, "(QTY = 5)", "(数量 等于 5)"},
      {foNotEqual, 5, "5", fcoShowOperatorDescription, "(QTY <> 5)", "(数量 不等于 5)"},
      {foLess, 5, "5", fcoShowOperatorDescription, "(QTY < 5)", "(数量 小于 5)"},
      {foLessEqual, 5, "5", fcoShowOperatorDescription, "(QTY <= 5)", "(数量 小于等于 5)"},
      {foGreater, 2.5, "2.5", fcoShowOperatorDescription, "(QTY > 2.5)", "(数量 大于 2.5)"},
      {foGreaterEqual, 5, "5", fcoShowOperatorDescription, "(QTY >= 5)", "(数量 大于等于 5)"},
      {foEqual, "O'Brien", "O'Brien", 0, "(QTY = 'O''Brien')", "(数量 = O'Brien)"},
      {foEqual, Variant::Null(), "", 0, "(QTY = NULL)", "(数量 = 空)"},
      {foNotEqual, Variant::Null(), "", fcoShowOperatorDescription, "(QTY <> NULL)", "(数量 不为空)"},
      {foEqual, true, "True", 0, "(QTY = True)", "(数量 = True)"},
      {foEqual, Variant::FromDate(46371), "d", 0, "(QTY = '2026-12-15')", "(数量 = d)"},
      {foLike, "abc%", "abc%", fcoShowOperatorDescription, "(QTY LIKE 'abc%')", "(数量 起始于 abc)"},
      {foLike, "%abc", "%abc", fcoShowOperatorDescription, "(QTY LIKE '%abc')", "(数量 结束于 abc)"},
      {foLike, "%abc%", "%abc%", fcoShowOperatorDescription, "(QTY LIKE '%abc%')", "(数量 包含 abc)"},
      {foLike, "a%c", "a%c", fcoShowOperatorDescription, "(QTY LIKE 'a%c')", "(数量 相似 a%c)"},
      {foLike, "%%", "%%", fcoShowOperatorDescription, "(QTY LIKE '%%')", "(数量 相似 %)"},
      {foNotLike, "abc%", "abc%", fcoShowOperatorDescription, "(QTY NOT LIKE 'abc%')", "(数量 不起始于 abc)"},
      {foNotLike, "%abc", "%abc", fcoShowOperatorDescription, "(QTY NOT LIKE '%abc')", "(数量 不结束于 abc)"},
      {foNotLike, "%abc%", "%abc%", fcoShowOperatorDescription, "(QTY NOT LIKE '%abc%')", "(数量 不包含 abc)"},
      {foNotLike, "abc", "abc", fcoShowOperatorDescription, "(QTY NOT LIKE 'abc')", "(数量 不相似 abc)"},
      {foLike, "%abc%", "%abc%", 0, "(QTY LIKE '%abc%')", "(数量 LIKE %abc%)"},
      {foBetween, VarArrayOf({1, 5}), "1;5", 0, "(QTY BETWEEN 1 AND 5)", "(数量 在...之间 1 并且 5)"},
      {foBetween, VarArrayOf({1, 5}), "7", 0, "(QTY BETWEEN 1 AND 5)", "(数量 在...之间 7 并且 )"},
      {foNotBetween, VarArrayOf({1, 5}), "1;5", 0, "(QTY NOT BETWEEN 1 AND 5)", "(数量 不在...之间 1 并且 5)"},
      {foInList, VarArrayOf({"a", "b"}), " a ; b ; c ", 0, "(QTY IN ('a', 'b'))", "(数量 包含 (a, b, c))"},
      {foNotInList, VarArrayOf({1, 2}), "1;2", 0, "(QTY NOT IN (1, 2))", "(数量 不包含 (1, 2))"},
      {foInList, VarArrayOf({}), "", 0, "(QTY IN ())", "(数量 包含 ())"},
      {foBetween, Variant(3), "3", 0, "(QTY BETWEEN 3)", "(数量 在...之间 3 并且 )"},
      {foYesterday, Variant::Null(), "x", 0, "((QTY >= '2026-12-14') AND (QTY < '2026-12-15'))", "(数量 昨天)"},
      {foToday, Variant::Null(), "", 0, "((QTY >= '2026-12-15') AND (QTY < '2026-12-16'))", "(数量 今天)"},
      {foTomorrow, Variant::Null(), "", 0, "((QTY >= '2026-12-16') AND (QTY < '2026-12-17'))", "(数量 明天)"},
      {foLastWeek, Variant::Null(), "", 0, "((QTY >= '2026-12-07') AND (QTY < '2026-12-14'))", "(数量 前一周)"},
      {foThisWeek, Variant::Null(), "", 0, "((QTY >= '2026-12-14') AND (QTY < '2026-12-21'))", "(数量 本周)"},
      {foNextWeek, Variant::Null(), "", 0, "((QTY >= '2026-12-21') AND (QTY < '2026-12-28'))", "(数量 下一周)"},
      {foLastMonth, Variant::Null(), "", 0, "((QTY >= '2026-11-01') AND (QTY < '2026-12-01'))", "(数量 前一月)"},
      {foThisMonth, Variant::Null(), "", 0, "((QTY >= '2026-12-01') AND (QTY < '2027-01-01'))", "(数量 本月)"},
      {foNextMonth, Variant::Null(), "", 0, "((QTY >= '2027-01-01') AND (QTY < '2027-02-01'))", "(数量 下一月)"},
      {foLastYear, Variant::Null(), "", 0, "((QTY >= '2025-01-01') AND (QTY < '2026-01-01'))", "(数量 前一年)"},
      {foThisYear, Variant::Null(), "", 0, "((QTY >= '2026-01-01') AND (QTY < '2027-01-01'))", "(数量 本年)"},
      {foNextYear, Variant::Null(), "", 0, "((QTY >= '2027-01-01') AND (QTY < '2028-01-01'))", "(数量 下一年)"},
  };
  for (const TextRow& r : rows) {
    TestCriteria c;
    c.SetOptions(r.Options);
    c.AddCondition(nullptr, &c.Qty, r.Kind, r.Value, r.Display);
    EXPECT_EQ(c.FilterText(), r.FilterText) << r.FilterText;
    EXPECT_EQ(c.DisplayText(), r.DisplayText) << r.FilterText;
  }
}

TEST(FilterText, TranslatedForms) {
  TestCriteria c;
  c.SetTranslateBetween(true);
  c.SetTranslateIn(true);
  c.AddCondition(nullptr, &c.Qty, foBetween, VarArrayOf({1, 5}), "");
  c.AddCondition(nullptr, &c.Qty, foNotBetween, VarArrayOf({1, 5}), "");
  c.AddCondition(nullptr, &c.Qty, foInList, VarArrayOf({1, 2, 3}), "");
  c.AddCondition(nullptr, &c.Qty, foNotInList, VarArrayOf({1}), "");
  c.AddCondition(nullptr, nullptr, foEqual, VarArrayOf({1, "x"}), "");
  c.AddCondition(nullptr, nullptr, foNotEqual, VarArrayOf({1, "x", 3}), "");
  EXPECT_EQ(c.FilterText(),
            "((QTY >= 1) AND (QTY <= 5)) AND (NOT ((QTY >= 1) AND (QTY <= 5))) AND "
            "((QTY = 1) OR (QTY = 2) OR (QTY = 3)) AND (NOT ((QTY = 1))) AND "
            "((A = 1) AND (B = 'x')) AND (NOT ((A = 1) AND (B = 'x')))");
}

TEST(FilterText, ListsAndJoins) {
  TestCriteria c;
  EXPECT_EQ(c.FilterText(), "");
  c.Root().SetBoolOperator(fboOr);
  c.AddCondition(nullptr, &c.Name, foEqual, 3, "3");
  TkvFilterCriteriaItemList* inner = c.Root().AddItemList(fboAnd);
  c.AddCondition(inner, &c.Qty, foEqual, 1, "1");
  c.AddCondition(inner, &c.Day, foEqual, 2, "2");
  EXPECT_EQ(c.FilterText(), "(NAME = 3) OR ((QTY = 1) AND (DAY = 2))");
  c.SetOptions(fcoShowOperatorDescription);
  EXPECT_EQ(c.DisplayText(), "(名称 等于 3) 或者 ((数量 等于 1) 并且 (日期 等于 2))");
  c.Root().SetBoolOperator(fboNotAnd);
  inner->SetBoolOperator(fboNotOr);
  c.SetOptions(0);
  EXPECT_EQ(c.FilterText(), "NOT ((NAME = 3) AND (NOT ((QTY = 1) OR (DAY = 2))))");
  EXPECT_EQ(c.DisplayText(), "非 ((名称 = 3) 并且 (非 ((数量 = 1) 或者 (日期 = 2))))");
}

TEST(FilterText, EmptyListsAddNothing) {
  TestCriteria c;
  c.Root().SetBoolOperator(fboNotAnd);
  EXPECT_EQ(c.FilterText(), "");
  c.Root().AddItemList(fboOr);
  c.AddCondition(nullptr, &c.Qty, foEqual, 1, "1");
  EXPECT_EQ(c.FilterText(), "NOT ((QTY = 1))");
}

// --- evaluation -----------------------------------------------------------------------

struct EvalRow {
  TkvFilterOperatorKind Kind;
  Variant Operand;
  Variant Value;
  TkvFilterCriteriaOptions Options;
  bool Match;
};

TEST(FilterEvaluation, EveryOperatorKind) {
  FixedClock clock;
  const EvalRow rows[] = {
      {foEqual, 5, 5, 0, true}, {foEqual, 5, 6, 0, false}, {foNotEqual, 5, 6, 0, true},
      {foLess, 5, 4, 0, true}, {foLess, 5, 5, 0, false}, {foLessEqual, 5, 5, 0, true},
      {foGreater, 5, 6, 0, true}, {foGreater, 5, Variant::Null(), 0, false}, {foGreaterEqual, 5, 5, 0, true},
      {foEqual, Variant::Null(), Variant::Null(), 0, true}, {foEqual, Variant::Null(), "", 0, false},
      {foEqual, Variant::Null(), "", fcoSoftNull, true}, {foNotEqual, Variant::Null(), 3, 0, true},
      {foEqual, Variant::FromCurrency(Currency(1.5)), 1.5, 0, true},
      {foLike, "%abc%", "xabcx", 0, true}, {foLike, "%abc%", "xABCx", 0, false},
      {foLike, "%abc%", "xABCx", fcoCaseInsensitive, true}, {foNotLike, "a%", "ba", 0, true},
      {foLike, "%%", "", 0, true}, {foLike, "%中%", "十分小心", 0, false},
      {foBetween, VarArrayOf({1, 5}), 3, 0, true}, {foBetween, VarArrayOf({1, 5}), 5, 0, true},
      {foBetween, VarArrayOf({5, 1}), 3, 0, false}, {foNotBetween, VarArrayOf({1, 5}), 6, 0, true},
      {foBetween, Variant(3), 3, 0, false}, {foNotBetween, VarArrayOf({1}), 3, 0, false},
      {foInList, VarArrayOf({1, 2}), 2, 0, true}, {foInList, VarArrayOf({1, 2}), 3, 0, false},
      {foNotInList, VarArrayOf({1, 2}), 3, 0, true}, {foInList, VarArrayOf({}), 3, 0, false},
      {foEqual, "abc", "ABC", fcoCaseInsensitive, true},
      {foToday, Variant::Null(), Variant::FromDate(EncodeDate(2026, 12, 15) + 0.99), 0, true},
      {foToday, Variant::Null(), Variant::FromDate(EncodeDate(2026, 12, 16)), 0, false},
      {foToday, Variant::Null(), Variant::Null(), 0, false},
      {foThisMonth, Variant::Null(), Variant::FromDate(EncodeDate(2026, 12, 1)), 0, true},
      {foThisMonth, Variant::Null(), Variant::FromDate(EncodeDate(2027, 1, 1)), 0, false},
      {foThisWeek, Variant::Null(), Variant::FromDate(EncodeDate(2026, 12, 14)), 0, true},
      {foThisWeek, Variant::Null(), Variant::FromDate(EncodeDate(2026, 12, 13)), 0, false},
      {foLastYear, Variant::Null(), Variant::FromDate(EncodeDate(2025, 6, 1)), 0, true},
      {foNextMonth, Variant::Null(), Variant::FromDate(EncodeDate(2027, 1, 31)), 0, true},
  };
  int i = 0;
  for (const EvalRow& r : rows) {
    TestCriteria c;
    c.SetOptions(r.Options);
    c.Rows[0][&c.Qty] = r.Value;
    c.AddCondition(nullptr, &c.Qty, r.Kind, r.Operand, "");
    EXPECT_EQ(c.Evaluate(0), r.Match) << "row " << i;
    ++i;
  }
}

TEST(FilterEvaluation, IgnoreNullAndSoftCompare) {
  TestCriteria c;
  c.SetOptions(fcoIgnoreNull);
  c.AddCondition(nullptr, &c.Qty, foNotEqual, 5, "");
  EXPECT_FALSE(c.Evaluate(0));  // a null record value fails every value test
  c.Clear();
  c.AddCondition(nullptr, &c.Qty, foEqual, Variant::Null(), "");
  EXPECT_TRUE(c.Evaluate(0));  // but a Null test sees it
}

// IN tests each element as Equal does (CompareVariants): it never raises, and a list of
// one value agrees with = on that value whatever the kinds.
TEST(FilterEvaluation, InListAgreesWithEqualAndNeverRaises) {
  for (const Variant& operand : {Variant("abc"), Variant("5"), Variant(5), Variant(5.0), Variant::Null()}) {
    TestCriteria in, eq;
    in.Rows[0][&in.Qty] = 5;
    eq.Rows[0][&eq.Qty] = 5;
    in.AddCondition(nullptr, &in.Qty, foInList, VarArrayOf({operand}), "");
    eq.AddCondition(nullptr, &eq.Qty, foEqual, operand, "");
    EXPECT_EQ(in.Evaluate(0), eq.Evaluate(0)) << VarToStr(operand);
  }
  TestCriteria strict;
  strict.Rows[0][&strict.Qty] = 5;
  strict.AddCondition(nullptr, &strict.Qty, foInList, VarArrayOf({"abc", 5}), "");
  EXPECT_TRUE(strict.Evaluate(0));
}

TEST(FilterEvaluation, BooleanListsTruthTable) {
  const struct { TkvFilterBoolOperator Op; bool A, B, Result; } rows[] = {
      {fboAnd, true, false, false}, {fboAnd, true, true, true}, {fboOr, false, false, false}, {fboOr, true, false, true},
      {fboNotAnd, true, true, false}, {fboNotAnd, true, false, true}, {fboNotOr, false, false, true},
      {fboNotOr, true, false, false},
  };
  for (const auto& r : rows) {
    TestCriteria c;
    c.Root().SetBoolOperator(r.Op);
    c.Rows[0][&c.Qty] = 1;
    c.AddCondition(nullptr, &c.Qty, r.A ? foEqual : foNotEqual, 1, "");
    c.AddCondition(nullptr, &c.Qty, r.B ? foEqual : foNotEqual, 1, "");
    EXPECT_EQ(c.Evaluate(0), r.Result) << int(r.Op) << r.A << r.B;
  }
  TestCriteria empty;
  EXPECT_TRUE(empty.Evaluate(0));
  // An empty NOT list contributes nothing rather than NOT(true).
  TestCriteria withEmptyNot;
  withEmptyNot.Rows[0][&withEmptyNot.Qty] = 1;
  withEmptyNot.Root().AddItemList(fboNotAnd);
  withEmptyNot.AddCondition(nullptr, &withEmptyNot.Qty, foEqual, 1, "");
  EXPECT_TRUE(withEmptyNot.Evaluate(0));
}

// --- changes ----------------------------------------------------------------------------

TEST(FilterChanges, NestedUpdatesFireOnce) {
  TestCriteria c;
  int fired = 0;
  c.OnChanged = [&](TObject*) { ++fired; };
  c.BeginUpdate();
  c.BeginUpdate();
  c.AddCondition(nullptr, &c.Qty, foEqual, 1, "");
  c.AddCondition(nullptr, &c.Qty, foEqual, 2, "");
  c.EndUpdate();
  EXPECT_EQ(fired, 0);
  c.EndUpdate();
  EXPECT_EQ(fired, 1);
  c.BeginUpdate();
  c.EndUpdate();
  EXPECT_EQ(fired, 1);
  c.SetOptions(c.Options());
  EXPECT_EQ(fired, 1);
  c.SetPercentWildcard('*');
  EXPECT_EQ(fired, 2);
}

TEST(FilterChanges, RemoveItemsByLinkTidiesTheTree) {
  TestCriteria c;
  TkvFilterCriteriaItemList* only = c.Root().AddItemList(fboOr);
  c.AddCondition(only, &c.Qty, foEqual, 1, "");
  TkvFilterCriteriaItemList* pair = c.Root().AddItemList(fboOr);
  c.AddCondition(pair, &c.Qty, foEqual, 2, "");
  c.AddCondition(pair, &c.Name, foEqual, 3, "");
  c.AddCondition(nullptr, &c.Day, foEqual, 4, "");
  c.RemoveItemsByLink(&c.Qty);
  EXPECT_EQ(c.FilterText(), "(DAY = 4) AND (NAME = 3)");
  int fired = 0;
  c.OnChanged = [&](TObject*) { ++fired; };
  c.RemoveItemsByLink(&c.Qty);
  EXPECT_EQ(fired, 0);
}

TEST(FilterChanges, RemoveItemsByLinkKeepsANegation) {
  TestCriteria c;
  TkvFilterCriteriaItemList* notList = c.Root().AddItemList(fboNotOr);
  c.AddCondition(notList, &c.Qty, foEqual, 1, "");
  c.AddCondition(notList, &c.Name, foEqual, 2, "");
  c.RemoveItemsByLink(&c.Qty);
  EXPECT_EQ(c.FilterText(), "(NOT ((NAME = 2)))");
}

// --- binary form ------------------------------------------------------------------------

std::string Image(TkvFilterCriteria& c) {
  TMemoryStream m;
  c.WriteData(m);
  static const char* d = "0123456789ABCDEF";
  std::string s;
  for (size_t i = 0; i < m.Bytes().size(); ++i) {
    if (i) s += ' ';
    s += d[m.Bytes()[i] >> 4];
    s += d[m.Bytes()[i] & 15];
  }
  return s;
}

void Load(TkvFilterCriteria& c, const std::vector<uint8_t>& bytes) {
  TMemoryStream m;
  m.WriteBytes(std::string(bytes.begin(), bytes.end()));
  m.SetPosition(0);
  c.ReadData(m);
}

TEST(CriteriaStream, GoldenBytes) {
  TestCriteria c;
  EXPECT_EQ(Image(c), "FF FF FF FF 00 00 00 00 00");
  c.Qty.Id = 3;
  c.AddCondition(nullptr, &c.Qty, foEqual, 5, "abc");
  EXPECT_EQ(Image(c), "FF FF FF FF 00 01 00 00 00 00 00 03 00 00 00 61 62 63 03 00 00 00 02 05");
  TestCriteria nested;
  nested.Qty.Id = 3;
  nested.Root().SetBoolOperator(fboOr);
  nested.AddCondition(nested.Root().AddItemList(fboAnd), &nested.Qty, foEqual, 5, "abc");
  EXPECT_EQ(Image(nested),
            "FF FF FF FF 01 01 00 00 00 01 00 01 00 00 00 00 00 03 00 00 00 61 62 63 03 00 00 00 02 05");
  EXPECT_FALSE(TestCriteria().HasCriteriaData());
  EXPECT_TRUE(nested.HasCriteriaData());
}

TEST(CriteriaStream, ReadsTheOlderFormWithoutMarker) {
  TestCriteria c;
  Load(c, {2, 0, 0, 0, 0, 0, 3, 0, 0, 0, 'a', 'b', 'c', 1, 0, 0, 0, 2, 5,
           0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 2, 7});
  EXPECT_EQ(c.FilterText(), "(QTY = 5) AND (NAME < 7)");
}

TEST(CriteriaStream, CopyKeepsIntegersAndCompareEqual) {
  TestCriteria a, b;
  a.AddCondition(nullptr, &a.Qty, foEqual, Variant(static_cast<long long>(5)), "5");
  a.AddCondition(nullptr, &a.Name, foInList, VarArrayOf({"x", Variant(static_cast<unsigned short>(7))}), "x;7");
  b.Assign(&a);
  EXPECT_EQ(b.FilterText(), "(QTY = 5) AND (NAME IN ('x', 7))");
  EXPECT_TRUE(a.IsEqual(b));
  EXPECT_EQ(Image(a), Image(b));
}

TEST(CriteriaStream, ATruncatedImageLeavesTheFilterAsItWas) {
  TestCriteria source;
  source.AddCondition(nullptr, &source.Qty, foEqual, 5, "abc");
  source.AddCondition(nullptr, &source.Name, foEqual, 6, "");
  TMemoryStream full;
  source.WriteData(full);
  TestCriteria c;
  c.AddCondition(nullptr, &c.Day, foEqual, 1, "");
  for (size_t cut = 0; cut < full.Bytes().size(); ++cut) {
    std::vector<uint8_t> part(full.Bytes().begin(), full.Bytes().begin() + static_cast<long>(cut));
    EXPECT_THROW(Load(c, part), EReadError) << cut;
    EXPECT_EQ(c.FilterText(), "(DAY = 1)") << cut;
  }
}

TEST(CriteriaStream, HostileImagesRaiseTheReadErrorWithTheOffset) {
  struct Case { std::vector<uint8_t> image; int offset; };
  const Case bad[] = {
      {{0xFE, 0xFF, 0xFF, 0xFF}, 0},                               // negative count, older form
      {{0xFF, 0xFF, 0xFF, 0xFF, 0x07, 0, 0, 0, 0}, 4},             // unknown root operator
      {{0xFF, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0x7F}, 5},    // count beyond the bytes
      {{1, 0, 0, 0, 0, 30, 0, 0, 0, 0, 1, 0, 0, 0, 0}, 5},         // operator kind 30
      {{1, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F}, 6},             // display length beyond the bytes
      {{1, 0, 0, 0, 1, 9, 0, 0, 0, 0}, 5},                         // unknown list operator
      {{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0}, 10},                  // link id cut off
      {{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0x07}, 14},      // a value of an unknown tag
      {{0xFF, 0xFF}, 0},                                           // the first integer cut off
  };
  for (const auto& c : bad) {
    TestCriteria c2;
    try {
      Load(c2, c.image);
      ADD_FAILURE() << c.offset;
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), "输入流错误 (corrupt at offset " + std::to_string(c.offset) + ")");
    }
  }
  // Nesting beyond the limit of 64: the list item one level too deep (items of 6 bytes
  // from 9).
  std::vector<uint8_t> deep = {0xFF, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0, 0};
  for (int i = 0; i < 200; ++i) deep.insert(deep.end(), {1, 0, 1, 0, 0, 0});
  TestCriteria c;
  try {
    Load(c, deep);
    ADD_FAILURE();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "输入流错误 (corrupt at offset " + std::to_string(9 + 6 * 64) + ")");
  }
}

TEST(CriteriaStream, ConditionsOnUnknownFieldsAreLeftOut) {
  TestCriteria source;
  TkvFilterCriteriaItemList* list = source.Root().AddItemList(fboOr);
  source.AddCondition(list, &source.Qty, foEqual, 1, "");
  source.AddCondition(nullptr, &source.Name, foEqual, 2, "");
  source.Qty.Id = 99;  // no field answers to it any more
  TMemoryStream m;
  source.WriteData(m);
  m.SetPosition(0);
  TestCriteria c;
  c.ReadData(m);
  EXPECT_EQ(c.FilterText(), "(NAME = 2)");
}

// --- value list -----------------------------------------------------------------------------

std::string Kinds(TkvFilterValueList& l) {
  std::string s;
  for (int i = 0; i < l.Count(); ++i) {
    s += std::to_string(l.Items(i).Kind);
    if (l.Items(i).Kind == 5) s += "=" + VarToStr(l.Items(i).Value);
    s += " ";
  }
  return s;
}

TEST(FilterValueList, OrderAndLimits) {
  TestCriteria c;
  auto list = c.CreateValueList();
  for (int v : {3, 1, 2, 1}) list->Add(5, v, IntToStr(v), false);
  EXPECT_EQ(Kinds(*list), "5=1 5=2 5=3 ");
  list->Add(0, Variant::Null(), "(全部显示)", false);
  list->Add(6, Variant::Null(), "lead", false);
  list->Add(2, Variant::Null(), "(为空)", false);
  EXPECT_EQ(Kinds(*list), "6 7 0 2 5=1 5=2 5=3 ");
  list->Add(5, 9, "9", true);
  EXPECT_EQ(Kinds(*list), "6 7 0 2 5=1 5=2 5=3 5=9 ");
  TestCriteria limited;
  limited.SetMaxValueListCount(2);
  auto small = limited.CreateValueList();
  small->Add(0, Variant::Null(), "", false);
  small->Add(1, Variant::Null(), "", false);
  small->Add(5, 1, "1", false);
  EXPECT_EQ(Kinds(*small), "0 1 ");
}

TEST(FilterValueList, DisplayTextSortIgnoresCaseWhenAsked) {
  TestCriteria c;
  c.SetOptions(fcoCaseInsensitive);
  auto list = c.CreateValueList();
  list->SetSortByDisplayText(true);
  list->Add(5, 1, "abc", false);
  list->Add(5, 2, "ABC", false);
  EXPECT_EQ(list->Count(), 1);
}

TEST(FilterValueList, ItemIndexOf) {
  TestCriteria c;
  auto list = c.CreateValueList();
  list->Add(0, Variant::Null(), "", false);
  list->Add(1, Variant::Null(), "", false);
  list->Add(2, Variant::Null(), "", false);
  list->Add(3, Variant::Null(), "", false);
  list->Add(5, 10, "10", false);
  list->Add(5, 20, "20", false);
  TkvFilterCriteriaItem* eq = c.AddCondition(nullptr, &c.Qty, foEqual, 20, "20");
  TkvFilterCriteriaItem* absent = c.AddCondition(nullptr, &c.Qty, foEqual, 30, "30");
  TkvFilterCriteriaItem* isNull = c.AddCondition(nullptr, &c.Qty, foEqual, Variant::Null(), "");
  TkvFilterCriteriaItem* notNull = c.AddCondition(nullptr, &c.Qty, foNotEqual, Variant::Null(), "");
  TkvFilterCriteriaItem* nested = c.AddCondition(c.Root().AddItemList(fboOr), &c.Qty, foEqual, 20, "20");
  TkvFilterCriteriaItem* greater = c.AddCondition(nullptr, &c.Qty, foGreater, 20, "20");
  EXPECT_EQ(list->ItemIndexOf(eq), 5);
  EXPECT_EQ(list->ItemIndexOf(absent), 0);
  EXPECT_EQ(list->ItemIndexOf(isNull), 2);
  EXPECT_EQ(list->ItemIndexOf(notNull), 3);
  EXPECT_EQ(list->ItemIndexOf(nested), 1);
  EXPECT_EQ(list->ItemIndexOf(greater), 1);
  EXPECT_EQ(list->ItemIndexOf(nullptr), -1);
}

}  // namespace
