// The controller's filter: typed operands, the typed record test against the Variant
// path, the hand-over to the dataset's Filter, the value list and the mended faults.
#include <gtest/gtest.h>

#include <random>

#include "DataControllerFixture.h"
#include "rtl/Streams.h"
#include "tests/support/ErrorText.h"

using kvtest::Grid;
using kvtest::Named;
using kvtest::Row6;
using postest::ErrorOf;

namespace {

Variant N() { return Variant::Null(); }

TEST(DataFilter, ConditionValuesAreCastToTheFieldsType) {
  Grid g(Named({{5, "a"}, {15, "b"}, {50, "c"}}));
  TkvDBDataFilterCriteria& f = g.C->Filter();
  // A "5" typed for a number column matches 5 (compared as texts it never would).
  f.AddCondition(nullptr, g.F("ID"), foEqual, "5", "5");
  f.SetActive(true);
  EXPECT_EQ(g.RowIds(), "5");
  EXPECT_EQ(f.Root().Count(), 1);
  auto* item = static_cast<TkvFilterCriteriaItem*>(f.Root().Items(0));
  EXPECT_EQ(item->Value().VType(), varInteger);
  f.Clear();
  f.AddCondition(nullptr, g.F("ID"), foGreater, "9", "");
  EXPECT_EQ(g.RowIds(), "15 50");  // numbers, not texts ("50" > "9" would fail as text)
  f.Clear();
  f.AddCondition(nullptr, g.F("ID"), foBetween, VarArrayOf({"10", "20"}), "");
  EXPECT_EQ(g.RowIds(), "15");
  // IN and = agree on a text of a number.
  f.Clear();
  f.AddCondition(nullptr, g.F("ID"), foInList, VarArrayOf({"5", "50"}), "");
  EXPECT_EQ(g.RowIds(), "5 50");
}

TEST(DataFilter, AValueThatCannotBeCastIsRefused) {
  Grid g(Named({{5, "a"}}));
  TkvDBDataFilterCriteria& f = g.C->Filter();
  EXPECT_EQ(ErrorOf([&] { f.AddCondition(nullptr, g.F("ID"), foEqual, "abc", "abc"); }),
            "EkvFilterValueError: 过滤条件的值不能转换为该列的类型");
  EXPECT_EQ(ErrorOf([&] { f.AddCondition(nullptr, g.F("ID"), foInList, VarArrayOf({"1", "x"}), ""); }),
            "EkvFilterValueError: 过滤条件的值不能转换为该列的类型");
  EXPECT_TRUE(f.IsEmpty());
  // LIKE keeps its pattern, a date window takes no value.
  f.AddCondition(nullptr, g.F("ID"), foLike, "%5%", "");
  f.AddCondition(nullptr, g.F("DAY"), foToday, N(), "");
  EXPECT_EQ(f.Root().Count(), 2);
}

// The typed record test gives the Variant path's answer on random records and random
// criteria.
TEST(DataFilter, TypedTestAgreesWithTheVariantPath) {
  std::mt19937 rnd(77);
  auto pick = [&](int n) { return static_cast<int>(rnd() % static_cast<uint32_t>(n)); };
  // 乤 and 乶 end in the bytes of "a" and "n": an ASCII pattern must not match inside them.
  const char* names[] = {"apple", "Apple", "banana", "白菜", "", "b", "ban%", "乤", "b乶", "乤an"};
  const char* likes[] = {"%an%", "%a%", "a%", "%n", "乤%", "%a"};
  std::vector<Row6> rows;
  for (int i = 0; i < 300; ++i) {
    auto maybe = [&](Variant v) { return pick(7) == 0 ? N() : v; };
    rows.push_back({maybe(Variant(pick(30))), maybe(Variant(names[pick(10)])), maybe(Variant(pick(400) / 4.0)),
                    maybe(Variant::FromCurrency(Currency::FromScaled(int64_t(pick(5000)) * 100))),
                    maybe(Variant::FromDate(45000 + pick(20))), maybe(Variant(pick(2) == 0))});
  }
  Grid g(rows);
  TkvDBDataFilterCriteria& f = g.C->Filter();
  const char* fields[] = {"ID", "NAME", "PRICE", "AMOUNT", "DAY", "ACTIVE"};
  int mismatches = 0, checked = 0;
  for (int round = 0; round < 200; ++round) {
    f.BeginUpdate();
    f.Clear();
    f.SetOptions(static_cast<TkvFilterCriteriaOptions>(pick(2) ? fcoCaseInsensitive : 0) |
                 static_cast<TkvFilterCriteriaOptions>(pick(3) == 0 ? fcoIgnoreNull : 0) |
                 static_cast<TkvFilterCriteriaOptions>(pick(3) == 0 ? fcoSoftNull : 0));
    for (int k = 0; k < 1 + pick(3); ++k) {
      const int fi = pick(6);
      TkvDbField* fld = g.F(fields[fi]);
      const auto kind = static_cast<TkvFilterOperatorKind>(pick(12));
      Variant v;
      if (fi == 1) v = Variant(kind == foLike || kind == foNotLike ? likes[pick(6)] : names[pick(10)]);
      else if (fi == 5) v = Variant(pick(2) == 0);
      else v = Variant(pick(30));
      if (kind == foBetween || kind == foNotBetween) v = VarArrayOf({v, Variant(fi == 1 ? "c" : "20")});
      if (kind == foInList || kind == foNotInList) v = VarArrayOf({v, Variant(fi == 1 ? "b" : "7")});
      if ((kind == foLike || kind == foNotLike) && fi != 1) v = Variant("%1%");
      try {
        f.AddCondition(nullptr, fld, kind, pick(9) == 0 ? N() : v, "");
      } catch (const EkvFilterValueError&) {
      }
    }
    f.Root().SetBoolOperator(static_cast<TkvFilterBoolOperator>(pick(4)));
    f.EndUpdate();
    f.InvalidateCompiled();
    std::vector<int> expect, rows;
    for (int r = 0; r < g.C->GetRecordCount(); ++r) {
      ++checked;
      const bool pass = f.Evaluate(r);
      if (f.EvaluateRecord(r) != pass) ++mismatches;
      if (pass || r == 7) expect.push_back(r);
      rows.push_back(r);
    }
    // The rows at once (record 7 kept whatever it holds, as an inserted record is).
    if (f.FilterRows(rows, 7) && rows != expect) ++mismatches;
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(checked, 200 * 300);
}

// 乤 and 乶 end in the bytes of "a" and "n": a pattern of ASCII letters matches whole
// characters only, on the rows at once as on one record.
TEST(DataFilter, AsciiPatternNeverMatchesInsideADoubleByteCharacter) {
  Grid g(Named({{1, "乤"}, {2, "b乶"}, {3, "乤an"}, {4, "an"}, {5, "乶a"}}));
  TkvDBDataFilterCriteria& f = g.C->Filter();
  const std::pair<const char*, const char*> cases[] = {
      {"%a%", "3 4 5"}, {"%an%", "3 4"}, {"a%", "4"}, {"%n", "3 4"}, {"%a", "5"}, {"乤%", "1 3"}};
  for (const auto& [pattern, ids] : cases) {
    f.BeginUpdate();
    f.Clear();
    f.AddCondition(nullptr, g.F("NAME"), foLike, pattern, "");
    f.SetActive(true);
    f.EndUpdate();
    EXPECT_EQ(g.RowIds(), ids) << pattern;
    for (int r = 0; r < g.C->GetRecordCount(); ++r) EXPECT_EQ(f.EvaluateRecord(r), f.Evaluate(r)) << pattern << " " << r;
  }
}

TEST(DataFilter, AutoDataSetFilterHandsTheTextToTheDataset) {
  Grid g(Named({{1, "a"}, {2, "b"}, {3, "a"}}));
  TkvDBDataFilterCriteria& f = g.C->Filter();
  f.SetAutoDataSetFilter(true);
  f.SetOptions(fcoCaseInsensitive);
  f.AddCondition(nullptr, g.F("NAME"), foEqual, "a", "a");
  f.SetActive(true);
  EXPECT_EQ(g.DataSet->Filter(), "(NAME = 'a')");
  EXPECT_TRUE(g.DataSet->Filtered());
  EXPECT_EQ(g.DataSet->FilterOptions(), foCaseInsensitive);
  EXPECT_FALSE(f.IsActive());  // the dataset filters; the rows are not filtered again
  EXPECT_EQ(g.RowIds(), "1 3");
  f.SetActive(false);
  EXPECT_EQ(g.DataSet->Filter(), "(NAME = 'a')");  // the text stays, the filter is off
  EXPECT_FALSE(g.DataSet->Filtered());
  EXPECT_EQ(g.RowIds(), "1 2 3");
}

TEST(DataFilter, OnBeforeChangeTurnsOffFilteringInMemory) {
  Grid g(Named({{1, "a"}, {2, "b"}}));
  TkvDBDataFilterCriteria& f = g.C->Filter();
  AnsiString seen;
  f.OnBeforeChange = [&](TObject*, TDataSet*, const AnsiString& text) { seen = text; };
  f.AddCondition(nullptr, g.F("ID"), foEqual, 1, "");
  f.SetActive(true);
  EXPECT_EQ(seen, "(ID = 1)");
  EXPECT_FALSE(f.IsActive());
  EXPECT_EQ(g.RowIds(), "1 2");
}

TEST(DataFilter, ChangingTheFilterWhileEditingPostsTheEditFirst) {
  Grid g(Named({{1, "a"}, {2, "b"}}));
  g.DataSet->Edit();
  g.DataSet->FieldByName("NAME")->SetAsString("z");
  g.C->Filter().AddCondition(nullptr, g.F("NAME"), foEqual, "z", "");
  g.C->Filter().SetActive(true);
  EXPECT_EQ(g.DataSet->State(), dsBrowse);
  EXPECT_EQ(g.RowIds(), "1");
}

// Criteria copied to another criteria of the controller, or streamed and read back,
// keep their fields.
TEST(DataFilter, CopiesAndStreamsKeepTheFields) {
  Grid g(Named({{1, "a"}, {2, "b"}}));
  TkvDBDataFilterCriteria& f = g.C->Filter();
  f.AddCondition(nullptr, g.F("NAME"), foEqual, "b", "b");
  TkvDataFilterCriteria* copy = g.C->AddFilter();
  copy->Assign(&f);
  ASSERT_EQ(copy->Root().Count(), 1);
  EXPECT_EQ(static_cast<TkvDataFilterCriteriaItem*>(copy->Root().Items(0))->Field(), g.F("NAME"));
  // Two criteria that differ only in their field are not equal.
  TkvDataFilterCriteria* one = g.C->AddFilter();
  TkvDataFilterCriteria* other = g.C->AddFilter();
  one->AddCondition(nullptr, g.F("NAME"), foLike, "%b%", "");
  other->AddCondition(nullptr, g.F("ID"), foLike, "%b%", "");
  EXPECT_FALSE(other->IsEqual(*one));
  TMemoryStream image;
  f.WriteData(image);
  image.SetPosition(0);
  f.Clear();
  f.ReadData(image);
  EXPECT_EQ(f.FilterText(), "(NAME = 'b')");
}

// A copy takes the source's change handler too; when that raises at the end of the
// copy, the error reaches the caller, the copy is complete and the criteria unlocked.
TEST(DataFilter, AFailingNoticeOfACopyReachesTheCaller) {
  Grid g(Named({{1, "a"}, {2, "b"}}));
  TkvDataFilterCriteria* source = g.C->AddFilter();
  source->AddCondition(nullptr, g.F("NAME"), foEqual, "b", "b");
  source->OnChanged = [](TObject*) { throw Exception("notice failed"); };
  TkvDBDataFilterCriteria& f = g.C->Filter();
  EXPECT_THROW(f.Assign(source), Exception);
  EXPECT_EQ(f.FilterText(), "(NAME = 'b')");
  EXPECT_EQ(f.LockCount(), 0);
}

TEST(DataFilter, ItemTextsAreTheFieldNameAndTheCaption) {
  Grid g(Named({{1, "a"}}));
  g.DataSet->FieldByName("NAME")->SetDisplayLabel("名称");
  g.C->Reload(true);
  TkvDBDataFilterCriteria& f = g.C->Filter();
  f.AddCondition(nullptr, g.F("NAME"), foEqual, "a", "a");
  EXPECT_EQ(f.FilterText(), "(NAME = 'a')");
  EXPECT_NE(std::string(f.DisplayText()).find("名称"), std::string::npos);
}

// A condition whose field is gone makes a text without a field name: the dataset never
// gets it.
TEST(DataFilter, FilterTextWithoutAFieldNameIsNeverGivenToTheDataset) {
  Grid g(Named({{1, "a"}, {2, "b"}}));
  TkvDBDataFilterCriteria& f = g.C->Filter();
  f.SetAutoDataSetFilter(true);
  f.BeginUpdate();
  f.TkvFilterCriteria::AddCondition(nullptr, nullptr, foEqual, "a", "a");
  f.SetActive(true);
  EXPECT_EQ(ErrorOf([&] { f.EndUpdate(); }), "no error");
  EXPECT_EQ(g.DataSet->Filter(), "");
  EXPECT_FALSE(g.DataSet->Filtered());
}

TEST(DataFilter, NoDatasetCountsAsInactive) {
  TkvCustomDbDataController c(nullptr);
  TkvDbField* f = c.AddField(nullptr, "ID");
  c.Filter().SetAutoDataSetFilter(true);
  EXPECT_EQ(ErrorOf([&] {
              c.Filter().AddCondition(nullptr, f, foEqual, "1", "");
              c.Filter().SetActive(true);
            }),
            "no error");
  EXPECT_EQ(c.RowCount(), 0);
}

TEST(DataFilter, RowZeroIsFocusedOnlyWhenThereAreRows) {
  Grid g(Named({{1, "a"}, {2, "b"}}));
  TkvDBDataFilterCriteria& f = g.C->Filter();
  f.AddCondition(nullptr, g.F("NAME"), foEqual, "none", "");
  EXPECT_EQ(ErrorOf([&] { f.SetActive(true); }), "no error");
  EXPECT_EQ(g.C->RowCount(), 0);
  EXPECT_EQ(g.C->FocusedRowIndex(), -1);
  f.Clear();
  f.AddCondition(nullptr, g.F("NAME"), foEqual, "b", "");
  EXPECT_EQ(g.C->FocusedRowIndex(), 0);
  EXPECT_EQ(g.CurrentId(), "2");
}

TEST(DataFilter, ValueListHasTwoSpecialEntriesWithoutBlanksAndFourWithThem) {
  Grid g({{Variant(3), N(), N(), N(), N(), N()}, {Variant(1), N(), N(), N(), N(), N()},
          {Variant(3), N(), N(), N(), N(), N()}, {N(), N(), N(), N(), N(), N()}});
  auto list = g.C->Filter().CreateValueList();
  auto* values = static_cast<TkvDataFilterValueList*>(list.get());
  values->Build(g.F("ID")->Index());
  std::string s;
  for (int i = 0; i < values->Count(); ++i)
    s += std::to_string(values->Items(i).Kind) + ":" + std::string(values->Items(i).DisplayText) + " ";
  EXPECT_EQ(s, "0:(全部显示) 1:(定制过滤...) 2:(为空) 3:(不为空) 5:1 5:3 ");
  values->Build(g.F("ID")->Index());
  Grid h(Named({{2, "x"}}));
  auto list2 = h.C->Filter().CreateValueList();
  static_cast<TkvDataFilterValueList*>(list2.get())->Build(0);
  EXPECT_EQ(list2->Count(), 3);
}

// A case-insensitive condition on a wide string field keeps what the same condition on
// a String field keeps: full-width, Greek and Cyrillic letters fold too.
TEST(DataFilter, FaultCaseInsensitiveWideConditionFoldedAsciiOnly) {
  TDataPacket p;
  p.Fields = {{"S", ftString, 20}, {"W", ftWideString, 20}};
  for (const char* t : {"\xA3\xE1", "\xA3\xC1", "\xA6\xC1x", "\xA7\xD1", "a", "B"})  // ａ Ａ αx а a B
    p.Rows.push_back({Variant(t), Variant(GbkToWide(t))});
  TClientDataSet ds(nullptr);
  ds.SetData(p);
  TDataSource source(nullptr);
  source.SetDataSet(&ds);
  TkvCustomDbDataController c(nullptr);
  TkvDbField* s = c.AddField(nullptr, "S");
  TkvDbField* w = c.AddField(nullptr, "W");
  c.SetDataSource(&source);
  auto rows = [&](TkvDbField* f, TkvFilterOperatorKind kind, const char* value) {
    TkvDBDataFilterCriteria& flt = c.Filter();
    flt.BeginUpdate();
    flt.Clear();
    flt.SetOptions(fcoCaseInsensitive);
    flt.AddCondition(nullptr, f, kind, f == s ? Variant(value) : Variant(GbkToWide(value)), "");
    flt.SetActive(true);
    flt.EndUpdate();
    std::string out;
    for (int r : c.Info().Rows()) out += std::to_string(r);
    return out;
  };
  EXPECT_EQ(rows(s, foEqual, "\xA3\xC1"), "01");        // S = 'Ａ' keeps ａ and Ａ
  EXPECT_EQ(rows(w, foEqual, "\xA3\xC1"), "01");        // W = 'Ａ' as well
  EXPECT_EQ(rows(w, foEqual, "\xA6\xA1X"), "2");        // ΑX finds αx
  EXPECT_EQ(rows(w, foEqual, "\xA7\xA1"), "3");         // А finds а
  EXPECT_EQ(rows(w, foLess, "\xA3\xC2"), rows(s, foLess, "\xA3\xC2"));  // < Ｂ
  EXPECT_EQ(rows(w, foEqual, "A"), "4");
}

}  // namespace

// --- the data filter in a component stream ------------------------------------------------------

namespace {

std::string Bytes(TMemoryStream& m) {
  return std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
}
std::string Short(std::string_view s) { return std::string(1, static_cast<char>(s.size())) + std::string(s); }
std::string Int32(int32_t v) {
  std::string s;
  for (int i = 0; i < 4; ++i) s += static_cast<char>(static_cast<uint32_t>(v) >> (8 * i) & 0xFF);
  return s;
}

}  // namespace

// An untouched filter writes nothing but its wrapper: every setting at its default and
// no condition tree.
TEST(DataFilterStream, UntouchedFilterWritesOnlyItsWrapper) {
  Grid g(Named({{1, "a"}}));
  TMemoryStream m;
  g.C->Filter().SaveToStream(m);
  EXPECT_EQ(Bytes(m), "TPF0" + Short("TFilterWrapper") + std::string(3, '\0'));
}

// The settings off their defaults in their published order, then the condition tree as
// the binary property "Criteria"; read back into the filter of another controller over
// the same fields, it filters the same rows.
TEST(DataFilterStream, SettingsAndCriteriaGoThroughTheComponentStream) {
  Grid g(Named({{1, "a"}, {2, "b"}, {3, "b"}}));
  TkvDBDataFilterCriteria& f = g.C->Filter();
  f.SetIgnoreOrigin(false);
  f.SetDateTimeFormat("yyyy-mm-dd");
  f.SetSupportedLike(false);
  f.SetTranslateIn(true);
  f.AddCondition(nullptr, g.F("NAME"), foEqual, "b", "b");
  f.SetActive(true);
  ASSERT_EQ(g.RowIds(), "2 3");
  TMemoryStream m;
  f.SaveToStream(m);

  const std::string tree = Int32(-1) + '\0' + Int32(1) +  // marked form, AND, one item
                           '\0' + '\0' + Int32(1) + "b" +  // a condition: Equal, display "b"
                           Int32(1) + "\x06\x01" "b";      // NAME is field 1; the value 'b'
  const std::string expected = "TPF0" + Short("TFilterWrapper") + '\0' +       //
                               Short("Filter.Active") + '\x09' +               //
                               Short("Filter.IgnoreOrigin") + '\x08' +         //
                               Short("Filter.DateTimeFormat") + '\x06' + Short("yyyy-mm-dd") +
                               Short("Filter.SupportedLike") + '\x08' +        //
                               Short("Filter.TranslateIn") + '\x09' +          //
                               Short("Filter.Criteria") + '\x0A' + Int32(static_cast<int32_t>(tree.size())) + tree +
                               '\0' + '\0';
  EXPECT_EQ(Bytes(m), expected);

  Grid other(Named({{1, "a"}, {2, "b"}, {3, "b"}}));
  TkvDBDataFilterCriteria& back = other.C->Filter();
  m.SetPosition(0);
  back.LoadFromStream(m);
  EXPECT_TRUE(back.Active());
  EXPECT_FALSE(back.IgnoreOrigin());
  EXPECT_EQ(back.DateTimeFormat(), "yyyy-mm-dd");
  EXPECT_FALSE(back.SupportedLike());
  EXPECT_TRUE(back.TranslateIn());
  EXPECT_FALSE(back.TranslateBetween());
  EXPECT_FALSE(back.AutoDataSetFilter());
  EXPECT_TRUE(back.IsEqual(f));
  EXPECT_EQ(other.RowIds(), "2 3");
  TMemoryStream again;
  back.SaveToStream(again);
  EXPECT_EQ(Bytes(again), expected);
}

// A root OR without conditions is still a condition tree worth keeping; the other
// boolean settings go through as well.
TEST(DataFilterStream, AnEmptyRootOtherThanAndIsStored) {
  Grid g(Named({{1, "a"}}));
  TkvDBDataFilterCriteria& f = g.C->Filter();
  f.Root().SetBoolOperator(fboOr);
  f.SetAutoDataSetFilter(true);
  f.SetTranslateBetween(true);
  TMemoryStream m;
  f.SaveToStream(m);
  const std::string tree = Int32(-1) + '\x01' + Int32(0);
  EXPECT_EQ(Bytes(m), "TPF0" + Short("TFilterWrapper") + '\0' + Short("Filter.AutoDataSetFilter") + '\x09' +
                          Short("Filter.TranslateBetween") + '\x09' + Short("Filter.Criteria") + '\x0A' +
                          Int32(static_cast<int32_t>(tree.size())) + tree + '\0' + '\0');
  Grid other(Named({{1, "a"}}));
  m.SetPosition(0);
  other.C->Filter().LoadFromStream(m);
  EXPECT_EQ(other.C->Filter().Root().BoolOperator(), fboOr);
  EXPECT_TRUE(other.C->Filter().AutoDataSetFilter());
  EXPECT_TRUE(other.C->Filter().TranslateBetween());
}

// A damaged condition tree fails the read with the tree's own error and leaves the
// conditions the filter had.
TEST(DataFilterStream, ADamagedCriteriaBlockFailsTheReadAndKeepsTheConditions) {
  Grid g(Named({{1, "a"}, {2, "b"}}));
  g.C->Filter().AddCondition(nullptr, g.F("ID"), foEqual, 2, "");
  TMemoryStream m;
  g.C->Filter().SaveToStream(m);
  std::string bytes = Bytes(m);
  const size_t kind = bytes.find(Short("Filter.Criteria")) + Short("Filter.Criteria").size() + 5 + 9 + 1;
  ASSERT_EQ(bytes[kind], '\0');  // Equal
  bytes[kind] = '\x40';          // no operator kind
  Grid other(Named({{1, "a"}, {2, "b"}}));
  other.C->Filter().AddCondition(nullptr, other.F("NAME"), foEqual, "a", "a");
  TStringStream damaged(bytes);
  EXPECT_THROW(other.C->Filter().LoadFromStream(damaged), EReadError);
  EXPECT_EQ(other.C->Filter().FilterText(), "(NAME = 'a')");
}
