// Column values: display texts, value formulas, footers (totals, formulas, texts).
#include <gtest/gtest.h>

#include "ColumnsFixture.h"
#include "db/DataSet.h"
#include "db/FieldClasses.h"
#include "rtl/ComponentStreaming.h"
#include "rtl/Streams.h"
#include "tests/support/ErrorText.h"

using kwtest::FakeGrid;
using postest::ErrorOf;

namespace {

struct Loaded : FakeGrid {
  Loaded() {
    for (const char* n : {"ID", "NAME", "QTY", "PRICE"}) Columns->Add()->SetFieldName(n);
    Load();
  }
  TkwColumn* Col(const char* name) { return Columns->FindColumnByFieldName(name); }
};

TEST(ColumnFooter, FormulasOverTotalsAndPlainTexts) {
  Loaded g;
  TkwColumn* qty = g.Col("QTY");
  qty->SetFooterText("$(Sum(Qty))");
  g.Columns->CompileFooters();
  EXPECT_TRUE(qty->HasFooterExpression());
  EXPECT_EQ(qty->FooterValue().VType(), varDouble);
  EXPECT_DOUBLE_EQ(qty->FooterValue().AsDouble(), 10.0);
  qty->SetFooterText("$(Sum(Qty)*2)");
  qty->CompileFooter();
  EXPECT_EQ(qty->FooterDisplayText(), "20");
  for (const char* plain : {"合计", "$()", "$(Sum(Qty)*2"}) {
    qty->SetFooterText(plain);
    qty->CompileFooter();
    EXPECT_FALSE(qty->HasFooterExpression()) << plain;
    EXPECT_EQ(qty->FooterDisplayText(), plain);
  }
  qty->SetFooterText("");
  qty->CompileFooter();
  EXPECT_EQ(qty->FooterValue().AsInteger(), 0);
  EXPECT_EQ(qty->FooterDisplayText(), "");
  g.FooterHook = true;
  EXPECT_EQ(qty->FooterDisplayText(), "[]");
}

TEST(ColumnFooter, TotalColumnShowsItsTotal) {
  Loaded g;
  TkwColumn* price = g.Col("PRICE");
  price->SetTotalColumn(true);
  EXPECT_DOUBLE_EQ(price->FooterValue().AsDouble(), 7.75);
  price->SetDisplayFormat("0.0");  // also the total's format (it rounds the total)
  EXPECT_EQ(price->FooterDisplayText(), "7.8");
  price->SetColumnOptions(price->ColumnOptions() | ColumnOption(gcoHideContent));
  EXPECT_EQ(price->FooterDisplayText(), "***");
  EXPECT_EQ(price->GetDisplayText("1.5", 0), "***");
}

// Regression: the column's DisplayFormat reached its total only when the format or
// TotalColumn was set after the kind, so a kind picked later, or streamed after
// TotalColumn (the published order), showed the default format ("MAX=5.00"). The
// footer's total takes the format in every order; a later format reaches it too.
TEST(ColumnFooter, FaultTotalTakesTheColumnsFormatInEveryOrder) {
  using Step = void (*)(TkwColumn*);
  const Step format = [](TkwColumn* c) { c->SetDisplayFormat("最多0.0"); };
  const Step total = [](TkwColumn* c) { c->SetTotalColumn(true); };
  const Step kind = [](TkwColumn* c) { c->SetTotalKind(skMax); };
  const std::vector<std::vector<Step>> orders{{format, total, kind}, {format, kind, total}, {total, format, kind},
                                              {total, kind, format}, {kind, format, total}, {kind, total, format}};
  for (size_t i = 0; i < orders.size(); ++i) {
    SCOPED_TRACE(i);
    Loaded g;
    TkwColumn* qty = g.Col("QTY");
    for (Step step : orders[i]) step(qty);
    EXPECT_EQ(qty->FooterDisplayText(), "最多5.0");
    EXPECT_DOUBLE_EQ(qty->FooterValue().AsDouble(), 5.0);
    qty->SetDisplayFormat("0");
    EXPECT_EQ(qty->FooterDisplayText(), "5");
  }
  // Written and read back: DisplayFormat, then ColumnOptions and TotalColumn, then
  // TotalKind.
  Loaded from;
  for (Step step : {total, format, kind}) step(from.Col("QTY"));
  TMemoryStream m;
  {
    TWriter w(m);
    w.WriteCollection(from.Columns.get());
  }
  m.SetPosition(0);
  FakeGrid to;
  {
    TReader r(m);
    ASSERT_EQ(r.ReadValue(), vaCollection);
    r.ReadCollection(*to.Columns);
  }
  to.Load();
  TkwColumn* qty = to.Columns->FindColumnByFieldName("QTY");
  ASSERT_NE(qty, nullptr);
  EXPECT_EQ(qty->TotalKind(), skMax);
  EXPECT_EQ(qty->FooterDisplayText(), "最多5.0");
}

// The footer is painted on every repaint: a formula that cannot be worked out must give
// an empty footer, not an error, while a direct caller of FooterValue still sees it.
TEST(ColumnFooter, FooterErrorsNeverReachPainting) {
  Loaded g;
  TkwColumn* qty = g.Col("QTY");
  qty->SetFooterText("$(Qty)");  // a bare column name is a text, not a number
  qty->CompileFooter();
  ASSERT_TRUE(qty->HasFooterExpression());
  EXPECT_THROW(qty->FooterValue(), Exception);
  EXPECT_EQ(qty->FooterDisplayText(), "");
  TkwColumn* name = g.Col("NAME");
  name->SetTotalColumn(true);  // a sum over texts
  EXPECT_NO_THROW(name->FooterDisplayText());
}

TEST(ColumnText, DisplayFormatOnNumbersOnly) {
  Loaded g;
  TkwColumn* qty = g.Col("QTY");
  EXPECT_FALSE(qty->UseCustomDisplayText());
  qty->SetDisplayFormat("0.00");
  EXPECT_TRUE(qty->UseCustomDisplayText());
  EXPECT_EQ(qty->GetDisplayText("3", 1), "3.00");
  TkwColumn* name = g.Col("NAME");
  name->SetDisplayFormat("0.00");
  EXPECT_EQ(name->GetDisplayText("梨", 1), "梨");
}

// A formula that fails for a record shows an empty cell: neither the default text nor
// the stored (or formatted) text of a bound field may pass for its result.
TEST(ColumnText, ValueFormulaComputesAndAFailureShowsAnEmptyText) {
  Loaded g;
  TkwColumn* total = g.Columns->Add();
  total->SetName("colTotal");
  total->SetValueExpression("QTY*PRICE");
  EXPECT_TRUE(total->HasValueExpression());
  EXPECT_TRUE(total->UseCustomDisplayText());
  EXPECT_DOUBLE_EQ(total->EvaluateValueExpression(1).AsDouble(), 6.75);
  EXPECT_EQ(total->GetDisplayText("", 1), "6.75");
  total->SetDisplayFormat("0.0");
  EXPECT_EQ(total->GetDisplayText("", 2), "20.0");
  TkwColumn* text = g.Columns->Add();
  text->SetValueExpression("NAME+1");  // a text that is not a number
  EXPECT_EQ(text->GetDisplayText("默认", 0), "");
  TkwColumn* qty = g.Col("QTY");
  qty->SetValueExpression("NAME*2");
  EXPECT_EQ(qty->GetDisplayText("3", 1), "");
  qty->SetDisplayFormat("0.00");
  EXPECT_EQ(qty->GetDisplayText("3", 1), "");
  qty->SetValueExpression("PRICE*2");  // the same column computes again once it can
  EXPECT_EQ(qty->GetDisplayText("3", 1), "4.50");
  EXPECT_THROW(text->SetValueExpression("NOSUCH+1"), Exception);
  EXPECT_FALSE(text->HasValueExpression());
  EXPECT_EQ(text->ValueExpression(), "NOSUCH+1");
  // A column takes no arguments: written with them it is unknown.
  EXPECT_EQ(ErrorOf([&] { text->SetValueExpression("QTY(1)*2"); }), "EExpression: Unknown Identifier QTY");
}

// Mended fault: a formula that came back to its own column read Null for it without a
// word. Setting it is refused like any other formula error: directly, through other
// columns' formulas (the column that closes the cycle is named), by Name or FieldName;
// the column keeps the text and no compiled formula. Formulas that read one column
// twice or along two ways are no cycle.
TEST(ColumnText, FaultFormulaReadingItsOwnColumnWasNotReported) {
  Loaded g;
  TkwColumn* qty = g.Col("QTY");
  EXPECT_EQ(ErrorOf([&] { qty->SetValueExpression("QTY*2"); }), "EkvFormulaCycle: 列 QTY 的公式循环引用了自身");
  EXPECT_FALSE(qty->HasValueExpression());
  EXPECT_EQ(qty->ValueExpression(), "QTY*2");
  TkwColumn* a = g.Columns->Add();
  a->SetName("colA");
  a->SetValueExpression("PRICE+1");
  TkwColumn* b = g.Columns->Add();
  b->SetName("colB");
  b->SetValueExpression("colA*2 + colA");
  TkwColumn* c = g.Columns->Add();
  c->SetName("colC");
  c->SetValueExpression("colB + colA + QTY");
  EXPECT_DOUBLE_EQ(c->EvaluateValueExpression(1).AsDouble(), (2.25 + 1) * 3 + (2.25 + 1) + 3);
  EXPECT_EQ(ErrorOf([&] { a->SetValueExpression("IF(QTY > 1, colC, 0)"); }),
            "EkvFormulaCycle: 列 colA 的公式循环引用了自身");
  EXPECT_FALSE(a->HasValueExpression());
  EXPECT_EQ(ErrorOf([&] { qty->SetValueExpression("colC"); }), "EkvFormulaCycle: 列 QTY 的公式循环引用了自身");
  EXPECT_EQ(ErrorOf([&] { qty->SetValueExpression("PRICE*2"); }), "no error");
  EXPECT_TRUE(qty->HasValueExpression());
}

// What the cell of a formula column shows for a record and what the controller reads for
// it, as "cell/controller".
std::string CellAndValue(Loaded& g, TkwColumn* c, int record) {
  Variant v;
  g.C->GetFieldValue(record, c->DbField(), v);
  return std::string(c->GetDisplayText("", record)) + "/" + std::string(VarToStr(v));
}

// Regression: a compiled formula reads the column it was bound to, renamed since or not,
// while the cycle was looked for by the names in the texts only. A renamed, b renamed z
// and PRICE renamed b: z := a*2 closed a cycle unseen, and the cell of a showed 3 where
// the controller read 1. It is refused like any other cycle; so is a rename that makes
// the texts' names close one (a copy or a reload of the columns compiles by the names),
// by Name or FieldName, the column keeping its names.
TEST(ColumnText, FaultACycleClosedByARenameWasNotReported) {
  Loaded g;
  TkwColumn* qty = g.Col("QTY");
  TkwColumn* price = g.Col("PRICE");
  qty->SetName("b");
  TkwColumn* a = g.Columns->Add();
  a->SetName("a");
  a->SetValueExpression("b+1");
  qty->SetName("z");
  price->SetName("b");
  EXPECT_EQ(ErrorOf([&] { qty->SetValueExpression("a*2"); }), "EkvFormulaCycle: 列 z 的公式循环引用了自身");
  EXPECT_FALSE(qty->HasValueExpression());
  EXPECT_EQ(CellAndValue(g, a, 1), "4/4");  // QTY 3 + 1 both ways
  price->SetName("p");
  EXPECT_EQ(ErrorOf([&] { price->SetValueExpression("a*2"); }), "no error");  // a reads z, names no b
  EXPECT_EQ(CellAndValue(g, price, 1), "8/8");
  EXPECT_EQ(ErrorOf([&] { price->SetName("b"); }), "EkvFormulaCycle: 列 b 的公式循环引用了自身");
  EXPECT_EQ(ErrorOf([&] { price->SetFieldName("B"); }), "EkvFormulaCycle: 列 p 的公式循环引用了自身");
  EXPECT_EQ(price->Name() + "," + price->FieldName() + "," + std::string(price->Field()->FieldName()), "p,PRICE,PRICE");
  EXPECT_EQ(ErrorOf([&] { a->SetName("c"); }), "no error");  // names nobody reads
  EXPECT_EQ(CellAndValue(g, price, 1), "8/8");
}

// A column of another kind whose formula reads a column's value back, doubled.
class ReadsBack : public IkwColumn {
 public:
  ReadsBack(TkvCustomDbDataController* c, TkvDbField* target) : FC(c), FTarget(target) {}
  bool HasValueExpression() override { return true; }
  Variant EvaluateValueExpression(int recordIndex) override {
    Variant v;
    FC->GetFieldValue(recordIndex, FTarget, v);
    return Variant(v.IsNull() ? 0.0 : v.AsDouble() * 2);
  }

 private:
  TkvCustomDbDataController* FC;
  TkvDbField* FTarget;
};

// Should a cycle still be met while evaluating (here through a column of another kind,
// which no check of ours sees), the cell and the controller agree: the cell is evaluated
// through the controller, which marks the column, and the cycle fails the formula as a
// whole, reported like any other cycle. Once the cycle is gone both read the value.
TEST(ColumnText, ACycleMetWhileEvaluatingFailsTheCellAsTheControllersRead) {
  Loaded g;
  TkwColumn* qty = g.Col("QTY");
  TkwColumn* a = g.Columns->Add();
  a->SetName("a");
  a->SetValueExpression("QTY+1");
  ReadsBack back(g.C.get(), a->DbField());
  qty->DbField()->SetColumn(&back);
  EXPECT_EQ(CellAndValue(g, a, 1), "/");
  EXPECT_EQ(ErrorOf([&] { a->FormulaValue(1); }), "EkvFormulaCycle: 列 a 的公式循环引用了自身");
  qty->DbField()->SetColumn(qty);
  EXPECT_EQ(CellAndValue(g, a, 1), "4/4");
}

TEST(ColumnText, LookupColumnShowsTheListTextOfTheKey) {
  Loaded g;
  TClientDataSet units(nullptr);
  TDataPacket p;
  p.Fields = {{"CODE", ftInteger, 0}, {"TITLE", ftString, 20}};
  p.Rows = {{Variant(1), Variant("个")}, {Variant(2), Variant("斤")}};
  units.SetData(p);
  TDataSource source(nullptr);
  source.SetDataSet(&units);
  TkwColumn* id = g.Col("ID");
  id->SetLookupSource(&source);
  id->SetKeyField("CODE");
  id->SetListField("TITLE");
  EXPECT_TRUE(id->IsLookupColumn());
  EXPECT_TRUE(id->UseCustomDisplayText());
  EXPECT_TRUE(id->NeedCustomSort());
  EXPECT_EQ(id->GetDisplayText("2", 1), "斤");
  EXPECT_EQ(id->GetDisplayText("3", 2), "3");  // key 3 is not in the lookup dataset
  EXPECT_FALSE(id->LookupLocate(Variant::Null()));
  units.Close();
  EXPECT_FALSE(id->IsLookupColumn());
  EXPECT_EQ(id->GetDisplayText("1", 0), "1");
  id->SetLookupSource(nullptr);
}

// A lookup grid that counts repaints and hears of freed sources.
struct LookupGrid : Loaded {
  int Repaints = 0;
  class Listener : public TComponent {
   public:
    using TComponent::TComponent;
    int Removed = 0;

   protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
      TComponent::Notification(AComponent, Operation);
      if (Operation == opRemove) ++Removed;
    }
  };
  Listener Component{nullptr};
  void InvalidateGrid() override { ++Repaints; }
  TComponent* GridComponent() override { return &Component; }
};

// The lookup link keeps the key and list fields of the open lookup dataset, drops them
// when it closes (no error) and finds them again when it opens; a change in the lookup
// dataset repaints the grid, the column's own locate does not; the grid hears of a
// freed source, and the column keeps no freed source.
TEST(ColumnText, LookupLinkFollowsTheLookupDataset) {
  LookupGrid g;
  TClientDataSet units(nullptr);
  TDataPacket p;
  p.Fields = {{"CODE", ftInteger, 0}, {"TITLE", ftString, 20}};
  p.Rows = {{Variant(1), Variant("个")}, {Variant(2), Variant("斤")}};
  units.SetData(p);
  auto source = std::make_unique<TDataSource>(nullptr);
  source->SetDataSet(&units);
  TkwColumn* id = g.Col("ID");
  id->SetLookupSource(source.get());
  id->SetKeyField("CODE");
  id->SetListField("TITLE");
  EXPECT_EQ(id->LookupKeyField(), units.FieldByName("CODE"));
  EXPECT_EQ(id->LookupListField(), units.FieldByName("TITLE"));
  g.Repaints = 0;
  EXPECT_EQ(id->GetDisplayText("2", 1), "斤");
  EXPECT_EQ(g.Repaints, 0);
  units.Edit();
  units.FieldByName("TITLE")->SetAsVariant(Variant("箱"));
  units.Post();
  EXPECT_GT(g.Repaints, 0);
  EXPECT_NO_THROW(units.Close());
  EXPECT_EQ(id->LookupKeyField(), nullptr);
  EXPECT_EQ(id->LookupListField(), nullptr);
  units.SetData(p);  // open again
  EXPECT_EQ(id->LookupListField(), units.FieldByName("TITLE"));
  source.reset();
  EXPECT_EQ(g.Component.Removed, 1);
  EXPECT_EQ(id->LookupSource(), nullptr);
  EXPECT_FALSE(id->IsLookupColumn());
  EXPECT_EQ(id->LookupListField(), nullptr);
}

TEST(ColumnText, CustomSortAndNoLookupWithoutALookupSource) {
  Loaded g;
  TkwColumn* qty = g.Col("QTY");
  EXPECT_FALSE(qty->NeedCustomSort());
  qty->SetColumnOptions(qty->ColumnOptions() | ColumnOption(gcoCustomSort));
  EXPECT_TRUE(qty->NeedCustomSort());
  EXPECT_FALSE(qty->IsLookupColumn());
  EXPECT_FALSE(qty->LookupLocate(Variant(1)));
  EXPECT_EQ(qty->CompareBlankRows(0, 1, 1), INT_MAX);
}

// A grid whose display-text hook marks what it got: <text>; it keeps every text it was
// handed.
struct HookGrid : FakeGrid {
  void DoGetDisplayText(TkwColumn*, AnsiString& text, int) override {
    Handed.push_back(std::string(text));
    text = "<" + text + ">";
  }
  std::vector<std::string> Handed;
};

// The dataset's texts of the second goods (梨, 3, 2.25) with a currency PRICE, a QTY
// with its own display format and a NAME with a text handler.
struct FormattedGoods : HookGrid {
  FormattedGoods() {
    dynamic_cast<TFloatField*>(DataSet->FieldByName("PRICE"))->SetCurrency(true);
    dynamic_cast<TFloatField*>(DataSet->FieldByName("QTY"))->SetDisplayFormat("0.0件");
    DataSet->FieldByName("NAME")->OnGetText = [](TField* f, AnsiString& text, bool) { text = "品:" + f->AsString(); };
    for (const char* n : {"ID", "NAME", "QTY", "PRICE"}) Columns->Add()->SetFieldName(n);
    Load();
    DataSet->SetRecNo(2);
  }
  std::string FieldText(const char* name) { return std::string(DataSet->FieldByName(name)->DisplayText()); }
  std::string Cell(const char* name) { return std::string(Columns->FindColumnByFieldName(name)->CellDisplayText(1)); }
};

// Regression: a cell showed the value's plain text ("2.25" for a currency of ￥2.25),
// and a text the controller keeps went through the grid's hook twice, the second time
// on the hook's own output.
TEST(ColumnCellText, FaultCellsShowTheFieldsDisplayTextThroughTheHookOnce) {
  FormattedGoods g;
  EXPECT_NE(g.FieldText("PRICE").find("2.25"), std::string::npos);
  EXPECT_NE(g.FieldText("PRICE"), "2.25");  // the currency format
  EXPECT_EQ(g.FieldText("QTY"), "3.0件");
  EXPECT_EQ(g.FieldText("NAME"), "品:梨");
  for (const char* n : {"ID", "NAME", "QTY", "PRICE"}) EXPECT_EQ(g.Cell(n), "<" + g.FieldText(n) + ">") << n;
  // The hook had each field's text, once per cell.
  const std::vector<std::string> fieldTexts{"2", g.FieldText("NAME"), g.FieldText("QTY"), g.FieldText("PRICE")};
  EXPECT_EQ(g.Handed, fieldTexts);
  // A kept text keeps the hook's result: painted again, only the plain ID asks it again.
  g.Handed.clear();
  for (const char* n : {"ID", "NAME", "QTY", "PRICE"}) EXPECT_EQ(g.Cell(n), "<" + g.FieldText(n) + ">") << n;
  EXPECT_EQ(g.Handed, std::vector<std::string>{"2"});
}

// The column's own display format and the hook, on a text the controller does not keep.
TEST(ColumnCellText, ColumnFormatOnAPlainNumberThenTheHook) {
  HookGrid g;
  for (const char* n : {"ID", "NAME", "QTY", "PRICE"}) g.Columns->Add()->SetFieldName(n);
  g.Load();
  TkwColumn* price = g.Columns->FindColumnByFieldName("PRICE");
  price->SetDisplayFormat("0.000");
  EXPECT_EQ(price->CellDisplayText(1), "<2.250>");
  EXPECT_EQ(g.Handed, std::vector<std::string>{"2.250"});
}

}  // namespace
