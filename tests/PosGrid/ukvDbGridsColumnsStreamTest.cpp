// Columns as published properties: only assigned values are written, byte for byte, and
// they come back as assigned values while everything else keeps following the grid.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ColumnsFixture.h"
#include "rtl/ComponentStreaming.h"
#include "rtl/Streams.h"

using kwtest::FakeGrid;

namespace {

using Bytes = std::vector<uint8_t>;

// The pieces of the component stream format (docs/formats/component-stream.md).
void Append(Bytes& b, std::initializer_list<uint8_t> v) { b.insert(b.end(), v); }
void Short(Bytes& b, std::string_view s) {  // a bare short string: length byte, bytes
  b.push_back(static_cast<uint8_t>(s.size()));
  b.insert(b.end(), s.begin(), s.end());
}
void Str(Bytes& b, std::string_view s) {
  b.push_back(vaString);
  Short(b, s);
}

Bytes Write(TCollection& c) {
  TMemoryStream m;
  TWriter w(m);
  w.WriteCollection(&c);
  return m.Bytes();
}

void Read(TCollection& c, const Bytes& bytes) {
  TMemoryStream m;
  m.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
  m.SetPosition(0);
  TReader r(m);
  ASSERT_EQ(r.ReadValue(), vaCollection);
  r.ReadCollection(c);
}

// Two columns: one only bound to its field, one with its colour, width and title caption
// set and hidden.
void MakeTwo(FakeGrid& g) {
  g.Columns->Add()->SetFieldName("ID");
  TkwColumn* qty = g.Columns->Add();
  qty->SetFieldName("QTY");
  qty->SetColor(0x0000FF);
  qty->SetWidth(120);
  qty->Title()->SetCaption("数量");
  qty->SetVisible(false);
}

Bytes ExpectedTwo() {
  Bytes b;
  Append(b, {vaCollection});
  Append(b, {vaList});
  Short(b, "FieldName");
  Str(b, "ID");
  Append(b, {vaNull});
  Append(b, {vaList});
  Short(b, "Color");
  Append(b, {vaInt16, 0xFF, 0x00});
  Short(b, "ColumnOptions");
  Append(b, {vaSet, 0x00});  // the empty set: gcoVisible cleared
  Short(b, "FieldName");
  Str(b, "QTY");
  Short(b, "Title.Caption");
  Str(b, "数量");
  Short(b, "Visible");
  Append(b, {vaFalse});
  Short(b, "Width");
  Append(b, {vaInt8, 120});  // the width as set, although a hidden column reads -1
  Append(b, {vaNull});
  Append(b, {vaNull});
  return b;
}

TEST(ColumnsStream, OnlyAssignedValuesAreWritten) {
  FakeGrid g;
  MakeTwo(g);
  EXPECT_EQ(Write(*g.Columns), ExpectedTwo());
}

TEST(ColumnsStream, ValuesComeBackAssignedAndDefaultsKeepFollowingTheGrid) {
  FakeGrid g;
  Read(*g.Columns, ExpectedTwo());
  ASSERT_EQ(g.Columns->Count(), 2);
  TkwColumn* id = g.Columns->Items(0);
  TkwColumn* qty = g.Columns->Items(1);
  EXPECT_EQ(id->AssignedValues(), 0);
  EXPECT_EQ(qty->AssignedValues(), (1 << cvColor) | (1 << cvWidth) | (1 << cvTitleCaption) | (1 << cvVisible));
  EXPECT_EQ(qty->Color(), 0x0000FF);
  EXPECT_EQ(qty->StoredWidth(), 120);
  EXPECT_FALSE(qty->Visible());
  EXPECT_EQ(qty->Title()->Caption(), "数量");
  g.GridColor = 0x00FF00;
  EXPECT_EQ(id->Color(), 0x00FF00);
  EXPECT_EQ(id->Title()->Caption(), "ID");
  EXPECT_EQ(Write(*g.Columns), ExpectedTwo());
}

TEST(ColumnsStream, RestoreDefaultsLeavesNothingToWrite) {
  FakeGrid g;
  MakeTwo(g);
  TkwColumn* qty = g.Columns->Items(1);
  qty->SetVisible(true);
  qty->RestoreDefaults();
  Bytes b;
  Append(b, {vaCollection, vaList});
  Short(b, "FieldName");
  Str(b, "ID");
  Append(b, {vaNull, vaList});
  Short(b, "FieldName");
  Str(b, "QTY");
  Append(b, {vaNull, vaNull});
  EXPECT_EQ(Write(*g.Columns), b);
}

TEST(ColumnsStream, VisibilityGivenByTheParentIsNotWritten) {
  FakeGrid g;
  TkwColumn* p = g.Columns->Add();
  TkwColumn* c = g.Columns->Add();
  c->SetParent(p);
  p->SetVisible(false);
  ASSERT_FALSE(c->Visible());
  Bytes b;
  Append(b, {vaCollection, vaList});
  Short(b, "ColumnOptions");
  Append(b, {vaSet, 0x00});
  Short(b, "Visible");
  Append(b, {vaFalse, vaNull});
  Append(b, {vaList});  // the child: only its parent, no visibility of its own
  Short(b, "ParentIndex");
  Append(b, {vaInt8, 0, vaNull});
  Append(b, {vaNull});
  EXPECT_EQ(Write(*g.Columns), b);
}

TEST(ColumnsStream, FontsOptionsAndTextsRoundTrip) {
  FakeGrid g;
  TkwColumn* c = g.Columns->Add();
  c->SetFieldName("NAME");
  c->Font()->SetHeight(-16);
  c->Font()->SetStyle(1 << static_cast<int>(TkwFontStyle::fsBold));
  c->Title()->Font()->SetName("黑体");
  c->Title()->SetAlignment(taCenter);
  c->SetColumnOptions(c->ColumnOptions() | ColumnOption(gcoSortable) | ColumnOption(gcoTotalColumn));
  c->SetTotalKind(skMax);
  c->SetDisplayFormat("0.00");
  c->SetHideContentStr("--");
  c->SetButtonStyle(gcbsCheckBox);
  c->SetName("colName");
  c->SetImeMode(imChinese);
  const Bytes written = Write(*g.Columns);

  FakeGrid back;
  Read(*back.Columns, written);
  ASSERT_EQ(back.Columns->Count(), 1);
  TkwColumn* r = back.Columns->Items(0);
  EXPECT_EQ(r->AssignedValues(), c->AssignedValues());
  EXPECT_EQ(r->Font()->Height(), -16);
  EXPECT_EQ(r->Font()->Style(), 1 << static_cast<int>(TkwFontStyle::fsBold));
  EXPECT_EQ(r->Title()->Font()->Name(), "黑体");
  EXPECT_EQ(r->Title()->Font()->Height(), -16);  // it had followed the column font
  EXPECT_EQ(r->Title()->Alignment(), taCenter);
  EXPECT_EQ(r->ColumnOptions(), c->ColumnOptions());
  EXPECT_EQ(r->TotalKind(), skMax);
  EXPECT_EQ(r->DisplayFormat(), "0.00");
  EXPECT_EQ(r->HideContentStr(), "--");
  EXPECT_EQ(r->ButtonStyle(), gcbsCheckBox);
  EXPECT_EQ(r->Name(), "colName");
  EXPECT_EQ(r->ImeMode(), imChinese);
  EXPECT_EQ(Write(*back.Columns), written);
}

// A pick list: its lines as "PickList.Strings", a list of strings, among the published
// properties (after Name). GBK lines whose trail bytes are ASCII signs ('\\', '|', '@')
// and an empty line come back byte for byte.
const char* const kPickLines[] = {"\xCA\x5C\xB1\x7C", "", "\x81\x40\xB5\xC6"};

TEST(ColumnsStream, PickListLinesAreWrittenAsAListOfStrings) {
  FakeGrid g;
  TkwColumn* c = g.Columns->Add();
  c->SetFieldName("NAME");
  for (const char* line : kPickLines) c->PickList()->Add(line);
  Bytes b;
  Append(b, {vaCollection, vaList});
  Short(b, "FieldName");
  Str(b, "NAME");
  Short(b, "PickList.Strings");
  Append(b, {vaList});
  for (const char* line : kPickLines) Str(b, line);
  Append(b, {vaNull});
  Append(b, {vaNull, vaNull});
  EXPECT_EQ(Write(*g.Columns), b);

  FakeGrid back;
  Read(*back.Columns, b);
  ASSERT_EQ(back.Columns->Count(), 1);
  EXPECT_EQ(back.Columns->Items(0)->PickList()->ToVector(),
            (std::vector<AnsiString>{kPickLines[0], kPickLines[1], kPickLines[2]}));
  EXPECT_EQ(Write(*back.Columns), b);
}

TEST(ColumnsStream, AnEmptyPickListAndOneDroppedByRestoreDefaultsWriteNothing) {
  FakeGrid g;
  TkwColumn* c = g.Columns->Add();
  c->PickList();  // made, no lines
  Bytes none;
  Append(none, {vaCollection, vaList, vaNull, vaNull});
  EXPECT_EQ(Write(*g.Columns), none);
  c->PickList()->Add("x");
  c->RestoreDefaults();
  EXPECT_EQ(Write(*g.Columns), none);
}

// Titles: alignment, caption and colour, each only when set.
TEST(ColumnsStream, TitleValuesAreWrittenOnlyWhenSet) {
  FakeGrid g;
  TkwColumn* c = g.Columns->Add();
  c->Title()->SetColor(0x00FFFF);
  c->Title()->SetAlignment(taCenter);
  c->Title()->SetCaption("单价");
  Bytes b;
  Append(b, {vaCollection, vaList});
  Short(b, "Title.Alignment");
  Append(b, {vaIdent});
  Short(b, "taCenter");
  Short(b, "Title.Caption");
  Str(b, "单价");
  Short(b, "Title.Color");
  Append(b, {vaInt32, 0xFF, 0xFF, 0x00, 0x00});
  Append(b, {vaNull, vaNull});
  EXPECT_EQ(Write(*g.Columns), b);
  FakeGrid back;
  Read(*back.Columns, b);
  TkwColumn* r = back.Columns->Items(0);
  EXPECT_EQ(r->AssignedValues(), (1 << cvTitleColor) | (1 << cvTitleCaption) | (1 << cvTitleAlignment));
  EXPECT_EQ(r->Title()->Color(), 0x00FFFF);
  EXPECT_EQ(r->Title()->Alignment(), taCenter);
  EXPECT_EQ(r->Title()->Caption(), "单价");
}

// Multi-level columns: each child names its parent's index as "ParentIndex", after its
// published properties. A child may come before its parent.
Bytes ExpectedLevels() {
  Bytes b;
  Append(b, {vaCollection});
  Append(b, {vaList});  // 0: QTY under 金额 (index 2)
  Short(b, "FieldName");
  Str(b, "QTY");
  Short(b, "ParentIndex");
  Append(b, {vaInt8, 2});
  Append(b, {vaNull});
  Append(b, {vaList});  // 1: 商品, top
  Short(b, "Title.Caption");
  Str(b, "商品");
  Append(b, {vaNull});
  Append(b, {vaList});  // 2: 金额 under 商品
  Short(b, "Title.Caption");
  Str(b, "金额");
  Short(b, "ParentIndex");
  Append(b, {vaInt8, 1});
  Append(b, {vaNull});
  Append(b, {vaList});  // 3: PRICE under 金额
  Short(b, "FieldName");
  Str(b, "PRICE");
  Short(b, "ParentIndex");
  Append(b, {vaInt8, 2});
  Append(b, {vaNull});
  Append(b, {vaNull});
  return b;
}

TEST(ColumnsStream, ParentsAreWrittenAsIndexesAndComeBackAsTheSameTree) {
  FakeGrid g;
  TkwColumn* qty = g.Columns->Add();
  qty->SetFieldName("QTY");
  TkwColumn* goods = g.Columns->Add();
  goods->Title()->SetCaption("商品");
  TkwColumn* money = g.Columns->Add();
  money->Title()->SetCaption("金额");
  TkwColumn* price = g.Columns->Add();
  price->SetFieldName("PRICE");
  money->SetParent(goods);
  qty->SetParent(money);
  price->SetParent(money);
  EXPECT_EQ(Write(*g.Columns), ExpectedLevels());

  FakeGrid back;
  back.TakeLog();
  Read(*back.Columns, ExpectedLevels());
  EXPECT_EQ(back.TakeLog(), "relaid");  // one change for the whole read
  ASSERT_EQ(back.Columns->Count(), 4);
  std::vector<TkwColumn*> cols;
  for (int i = 0; i < 4; ++i) cols.push_back(back.Columns->Items(i));
  EXPECT_EQ(cols[0]->Parent(), cols[2]);
  EXPECT_EQ(cols[1]->Parent(), nullptr);
  EXPECT_EQ(cols[2]->Parent(), cols[1]);
  EXPECT_EQ(cols[3]->Parent(), cols[2]);
  EXPECT_EQ(cols[3]->Level(), 2);
  EXPECT_EQ(cols[2]->ChildCount(), 2);
  EXPECT_EQ(cols[0]->ParentCaption(), "商品金额QTY");
  EXPECT_EQ(Write(*back.Columns), ExpectedLevels());
}

TEST(ColumnsStream, FaultAParentIndexBeyondTheColumnsOrACycleIsRefused) {
  // Index 4 of four columns.
  Bytes beyond = ExpectedLevels();
  const size_t at = beyond.size() - 3;  // PRICE's parent index byte
  ASSERT_EQ(beyond[at], 2);
  beyond[at] = 4;
  FakeGrid g1;
  EXPECT_THROW(Read(*g1.Columns, beyond), EReadError);
  // Two columns, each the other's parent.
  Bytes cycle;
  Append(cycle, {vaCollection, vaList});
  Short(cycle, "ParentIndex");
  Append(cycle, {vaInt8, 1, vaNull, vaList});
  Short(cycle, "ParentIndex");
  Append(cycle, {vaInt8, 0, vaNull, vaNull});
  FakeGrid g2;
  try {
    Read(*g2.Columns, cycle);
    ADD_FAILURE() << "a cycle was read";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), kSelfAsParent);
  }
  // A negative index is refused where it is read.
  Bytes negative;
  Append(negative, {vaCollection, vaList});
  Short(negative, "ParentIndex");
  Append(negative, {vaInt8, 0xFF, vaNull, vaNull});
  FakeGrid g3;
  EXPECT_THROW(Read(*g3.Columns, negative), EReadError);
}

}  // namespace
