// The dialogs' column lists: which columns each dialog lists and how, the group colours of
// the column dialog, and the marks accepted there.
#include <gtest/gtest.h>

#include <string>

#include "ColumnsFixture.h"
#include "VCLSource/source/PosGrid/ukvDbGridsColumnLists.h"

using kwtest::FakeGrid;

namespace {

// Columns of two levels: 货品 over 编号 and 名称 (a GBK caption whose trail byte is '\'),
// then 数量 alone, then 价格 over 进价 and 售价, and a column kept out of the dialogs.
struct Levels {
  FakeGrid g;
  TkwColumn *goods, *id, *name, *qty, *price, *cost, *sale, *secret;
  TkwColumn* Add(const char* field, const char* caption, TkwColumn* parent = nullptr) {
    TkwColumn* c = g.Columns->Add();
    if (field) c->SetFieldName(field);
    c->Title()->SetCaption(caption);
    if (parent) c->SetParent(parent);
    return c;
  }
  Levels() {
    goods = Add(nullptr, "货品");
    id = Add("ID", "编号", goods);
    name = Add("NAME", "名\xCA\x5C", goods);  // 名\ : trail byte 0x5C
    qty = Add("QTY", "数量");
    price = Add(nullptr, "价格");
    cost = Add("PRICE", "进价", price);
    sale = Add(nullptr, "售价", price);
    secret = Add(nullptr, "内部");
    secret->SetColumnOptions(secret->ColumnOptions() | ColumnOption(gcoConfigNoVisible));
  }
};

std::string Render(const std::vector<TkwFilterListEntry>& list) {
  std::string s;
  for (const auto& e : list) s += (s.empty() ? "" : "|") + std::string(e.Caption);
  return s;
}

std::string Render(const std::vector<TkwColumnRow>& rows) {
  std::string s;
  for (const auto& r : rows) {
    char color[16];
    std::snprintf(color, sizeof color, "%06X", static_cast<unsigned>(r.Color));
    s += (s.empty() ? "" : "|") + std::string(r.Caption) + (r.Visible ? "*" : "-") + color;
  }
  return s;
}

}  // namespace

TEST(ColumnLists, FilterListsVisibleLeavesUnderTheirParentChainCaptions) {
  Levels t;
  t.qty->SetVisible(false);
  EXPECT_EQ(Render(FilterColumnList(*t.g.Columns, nullptr)),
            "货品编号|货品名\xCA\x5C|价格进价|价格售价");
  EXPECT_EQ(FilterColumnList(*t.g.Columns, nullptr)[0].Column, t.id);
}

TEST(ColumnLists, ExpandedColumnsAndRefusedColumnsAreNotListed) {
  Levels t;
  t.cost->SetExpanded(true);
  const auto list = FilterColumnList(*t.g.Columns, [&](TkwColumn* c) { return c != t.sale; });
  EXPECT_EQ(Render(list), "货品编号|货品名\xCA\x5C|数量");
}

TEST(ColumnLists, ColumnRowsHoldHiddenColumnsAndOneColourPerGroupOfSiblings) {
  Levels t;
  t.name->SetVisible(false);
  // 编号 and 名称 share 货品; 数量 has no parent (a group of its own); 进价 and 售价 share
  // 价格; the fourth group takes the first colour again.
  EXPECT_EQ(Render(CustomColumnRows(*t.g.Columns, nullptr)),
            "编号*FFFFFF|名\xCA\x5C-FFFFFF|数量*E6F5FF|进价*FFF0E6|售价*FFF0E6");
  t.secret->SetColumnOptions(ColumnOption(gcoVisible));
  EXPECT_EQ(Render(CustomColumnRows(*t.g.Columns, nullptr)),
            "编号*FFFFFF|名\xCA\x5C-FFFFFF|数量*E6F5FF|进价*FFF0E6|售价*FFF0E6|内部*FFFFFF");
}

TEST(ColumnLists, TwoTopColumnsInARowAreTwoGroups) {
  FakeGrid g;
  for (const char* f : {"ID", "NAME", "QTY"}) g.Columns->Add()->SetFieldName(f);
  EXPECT_EQ(Render(CustomColumnRows(*g.Columns, nullptr)), "ID*FFFFFF|NAME*E6F5FF|QTY*FFF0E6");
}

TEST(ColumnLists, MarksShowAndHideInOneUpdateAndSkipColumnsThatAreGone) {
  Levels t;
  TkwColumn* gone = t.g.Columns->Add();
  delete gone;  // leaves the collection; its address stays in the marks
  t.g.TakeLog();
  ApplyColumnMarks(*t.g.Columns, {{t.id, false}, {t.qty, false}, {gone, true}, {t.cost, true}});
  EXPECT_FALSE(t.id->Visible());
  EXPECT_TRUE(t.name->Visible());
  EXPECT_FALSE(t.qty->Visible());
  EXPECT_TRUE(t.cost->Visible());
  EXPECT_EQ(t.g.TakeLog(), "relaid");
}
