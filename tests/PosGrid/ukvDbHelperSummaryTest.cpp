// Footer summaries: kinds, display formats, rounding, and the mended faults (text round
// trips, sums over texts, custom date formats).
#include <gtest/gtest.h>

#include "DataControllerFixture.h"
#include "rtl/FormatSettings.h"

using kvtest::Grid;
using kvtest::Row6;

namespace {

Variant N() { return Variant::Null(); }

Grid Prices(const std::vector<Variant>& prices) {
  std::vector<Row6> rows;
  int id = 0;
  for (const Variant& p : prices) rows.push_back({Variant(++id), N(), p, N(), N(), N()});
  return Grid(rows);
}

TEST(Summaries, KindsOverTheRowsWithTheirDefaultTexts) {
  Grid g = Prices({Variant(1.5), N(), Variant(2.25)});
  TkvDbField* price = g.F("PRICE");
  EXPECT_EQ(price->GetSummary(skSum)->GetText(), "3.75");
  EXPECT_EQ(price->GetSummary(skMin)->GetText(), "MIN=1.50");
  EXPECT_EQ(price->GetSummary(skMax)->GetText(), "MAX=2.25");
  EXPECT_EQ(price->GetSummary(skCount)->GetText(), "3");  // Null rows count
  EXPECT_EQ(price->GetSummary(skAverage)->GetText(), "AVG=1.88");
  EXPECT_EQ(price->GetSummary(skSum), price->GetSummary(skSum));  // one per kind
  // Filtering the rows recalculates.
  g.C->Filter().AddCondition(nullptr, price, foGreater, 2.0, "");
  g.C->Filter().SetActive(true);
  EXPECT_EQ(price->GetSummary(skSum)->GetText(), "2.25");
  EXPECT_EQ(price->GetSummary(skCount)->GetValue().AsInteger(), 1);
  price->GetSummary(skNone);
  EXPECT_EQ(g.C->Info().SummaryCount(), 0);
}

TEST(Summaries, NegativeSumAndNullTexts) {
  Grid g = Prices({Variant(-2.0)});
  TkvSummary* s = g.F("PRICE")->GetSummary(skSum);
  EXPECT_EQ(s->GetText(), "-2.00");
  AnsiString t;
  s->GetDisplayText(Variant::Null(), t);
  EXPECT_EQ(t, "");
}

TEST(Summaries, DisplayFormatRoundsEachValueBeforeItIsAdded) {
  Grid g = Prices({Variant(1.4), Variant(1.4)});
  TkvSummary* s = g.F("PRICE")->GetSummary(skSum);
  s->SetDisplayFormat("0");
  EXPECT_EQ(s->GetValue().AsDouble(), 2.0);
  EXPECT_EQ(s->GetText(), "2");
}

// A format with thousands separators and literal text rounds numerically: the text
// round trip ("1,234.50元" back to a number) would raise.
TEST(Summaries, RoundingWithSeparatorsAndLiteralsNeverRaises) {
  Grid g = Prices({Variant(1234.504), Variant(0.004)});
  TkvSummary* s = g.F("PRICE")->GetSummary(skSum);
  s->SetDisplayFormat("#,##0.00元");
  EXPECT_EQ(s->GetValue().AsDouble(), 1234.5);
  EXPECT_EQ(s->GetText(), "1,234.50元");
  EXPECT_EQ(FormatDecimals("#,##0.00;(0.0)"), 2);
  EXPECT_EQ(FormatDecimals("'0.000'0"), 0);
}

// A sum over texts adds the texts that read as numbers and leaves the others out;
// Booleans count as 1 and 0.
TEST(Summaries, SumOverTextsAndBooleansNeverRaises) {
  Grid g(kvtest::Named({{1, "2.5"}, {2, "abc"}, {3, "4"}}));
  TkvSummary* s = g.F("NAME")->GetSummary(skSum);
  EXPECT_EQ(s->GetValue().AsDouble(), 6.5);
  Grid b({{Variant(1), N(), N(), N(), N(), Variant(true)}, {Variant(2), N(), N(), N(), N(), Variant(true)},
          {Variant(3), N(), N(), N(), N(), Variant(false)}});
  EXPECT_EQ(b.F("ACTIVE")->GetSummary(skSum)->GetValue().AsInteger(), 2);
  // Minimum and maximum leave Nulls out.
  Grid m = Prices({N(), Variant(3.0), N(), Variant(1.0)});
  EXPECT_EQ(m.F("PRICE")->GetSummary(skMin)->GetValue().AsDouble(), 1.0);
}

// Regression: a minimum or maximum over rows that are all Null showed "MIN=0.00" (a date
// column too): Reset's 0 stood for a value no row had. The first row's Null is taken
// as it is, so the total is Null and its text empty; a value after Nulls still counts.
// The row-by-row path (a DisplayFormat rounds) and the fast one agree; no row at all
// keeps Reset's 0.
TEST(Summaries, FaultMinMaxOverAllNullRowsIsEmpty) {
  const double day = 45413;  // 2024-05-01
  auto dayRow = [](int id, const Variant& d) { return Row6{Variant(id), N(), N(), N(), d, N()}; };
  for (const char* format : {"", "0.0"}) {
    SCOPED_TRACE(format);
    auto texts = [format](Grid& g, const char* field) {
      std::string s;
      for (TkvSummaryKind k : {skMin, skMax}) {
        TkvSummary* t = g.F(field)->GetSummary(k);
        t->SetDisplayFormat(format);
        s += "[" + std::string(t->GetText()) + "]";
      }
      return s;
    };
    Grid nulls = Prices({N(), N(), N()});
    EXPECT_EQ(texts(nulls, "PRICE"), "[][]");
    EXPECT_TRUE(nulls.F("PRICE")->GetSummary(skMin)->GetValue().IsNull());
    Grid days({dayRow(1, N()), dayRow(2, N())});
    EXPECT_EQ(texts(days, "DAY"), "[][]");
    Grid later = Prices({N(), Variant(3.0), N(), Variant(1.0)});
    EXPECT_EQ(texts(later, "PRICE"), *format ? "[1.0][3.0]" : "[MIN=1.00][MAX=3.00]");
    if (!*format) {
      Grid laterDays({dayRow(1, N()), dayRow(2, Variant::FromDate(day))});
      EXPECT_EQ(texts(laterDays, "DAY"), "[MIN=2024-05-01][MAX=2024-05-01]");
    }
    Grid none = Prices({});
    EXPECT_EQ(texts(none, "PRICE"), *format ? "[0.0][0.0]" : "[MIN=0.00][MAX=0.00]");
    // Filtered down to the Null rows, and back.
    Grid mixed = Prices({Variant(2.0), N(), N()});
    TkvDbField* id = mixed.F("ID");
    mixed.C->Filter().AddCondition(nullptr, id, foGreater, 1, "");
    mixed.C->Filter().SetActive(true);
    EXPECT_EQ(texts(mixed, "PRICE"), "[][]");
    mixed.C->Filter().SetActive(false);
    EXPECT_EQ(texts(mixed, "PRICE"), *format ? "[2.0][2.0]" : "[MIN=2.00][MAX=2.00]");
  }
}

TEST(Summaries, DateTotalsUsePrefixesOrTheirOwnFormat) {
  const double day = 45413;  // 2024-05-01
  Grid g({{Variant(1), N(), N(), N(), Variant::FromDate(day - 3), N()}, {Variant(2), N(), N(), N(), Variant::FromDate(day), N()}});
  TkvSummary* s = g.F("DAY")->GetSummary(skMax);
  EXPECT_EQ(s->GetText(), "MAX=2024-05-01");
  // A format of its own formats the date (never "yyyy-mm-dd2024-05-01").
  s->SetDisplayFormat("yyyy/mm/dd");
  EXPECT_EQ(s->GetText(), "2024-05-01");
  s->SetDisplayFormat("最晚 yyyy年m月d日");
  EXPECT_EQ(s->GetText(), "最晚 2024年5月1日");
}

TEST(Summaries, CurrencyFormatsFollowTheLocaleSettings) {
  const TFormatSettings saved = FormatSettings;
  FormatSettings.CurrencyString = "$";
  FormatSettings.CurrencyFormat = 0;
  FormatSettings.CurrencyDecimals = 2;
  EXPECT_EQ(CurrencyNumberFormat(), "$,0.00");
  FormatSettings.CurrencyFormat = 2;
  EXPECT_EQ(CurrencyNumberFormat(), "$ ,0.00");
  FormatSettings.CurrencyFormat = 3;
  FormatSettings.CurrencyString = "Fr.";
  EXPECT_EQ(CurrencyNumberFormat(), ",0.00 Fr'.'");
  FormatSettings.CurrencyFormat = 0;
  FormatSettings.CurrencyString = "$";
  TkvSummary s(nullptr, nullptr, skSum);
  EXPECT_EQ(s.GetDefaultDisplayFormat(1, skSum), "$,0.00;-$,0.00");
  EXPECT_EQ(s.GetDefaultDisplayFormat(1, skMin), "MIN=$,0.00;MIN=-$,0.00");
  EXPECT_EQ(s.GetDefaultDisplayFormat(2, skAverage), "AVG=");
  EXPECT_EQ(s.GetDefaultDisplayFormat(0, skCount), "0");
  FormatSettings = saved;
}

TEST(Summaries, OnGetTextRewritesTheText) {
  Grid g = Prices({Variant(5.0)});
  TkvSummary* s = g.F("PRICE")->GetSummary(skSum);
  s->OnGetText = [](TkvSummary*, const Variant& v, AnsiString& t) { t = "合计 " + t; };
  EXPECT_EQ(s->GetText(), "合计 5.00");
}

}  // namespace
