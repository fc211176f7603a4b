// The aligned grid's property lists: precedence of the lookups, and the lists staying
// with their cells through inserted, moved and exchanged columns and rows.
#include <gtest/gtest.h>

#include "controls/AlignGridProps.h"

namespace {

// The entries of a per-column list as "index=value ..." for whole comparisons.
template <class T>
std::string Dump(const TSparseLine<T>& l) {
  std::string out;
  for (const auto& [i, v] : l.Items()) out += std::to_string(i) + "=" + std::to_string(static_cast<int>(v)) + " ";
  return out;
}

std::string DumpCells(const TSparseCells<AnsiString>& l) {
  std::string out;
  for (const auto& [c, col] : l.Columns())
    for (const auto& [r, v] : col.Items()) out += "(" + std::to_string(c) + "," + std::to_string(r) + ")" + v + " ";
  return out;
}

}  // namespace

TEST(AlignGridLookups, CellThenColumnThenRowThenDefault) {
  TAlignGridProps p;
  EXPECT_EQ(p.CellAlignment(2, 3, false, al_Left), al_Left);
  p.AlignRow.Set(3, al_Center);
  EXPECT_EQ(p.CellAlignment(2, 3, false, al_Left), al_Center);
  p.AlignCol.Set(2, al_Right);
  EXPECT_EQ(p.CellAlignment(2, 3, false, al_Left), al_Right);  // column beats row
  p.AlignCell.Set(2, 3, al_Left);
  EXPECT_EQ(p.CellAlignment(2, 3, false, al_Center), al_Left);
  // A fixed cell ignores the non-fixed column and row lists.
  EXPECT_EQ(p.CellAlignment(2, 0, true, al_Center), al_Center);
  p.FixedAlignRow.Set(0, al_Right);
  EXPECT_EQ(p.CellAlignment(2, 0, true, al_Center), al_Right);
}

TEST(AlignGridLookups, EditabilityHasNoFixedDistinctionAndColumnsDefaultToEditable) {
  TAlignGridProps p;
  EXPECT_TRUE(p.GetEditCol(4));
  EXPECT_FALSE(p.CellEditable(4, 1, false));
  p.EditRow.Set(1, true);
  p.EditCol.Set(4, false);
  EXPECT_FALSE(p.CellEditable(4, 1, true));
  EXPECT_FALSE(p.GetEditCol(4));
  p.EditCell.Set(4, 1, true);
  EXPECT_TRUE(p.CellEditable(4, 1, false));
}

TEST(AlignGridLookups, FontsBrushesSelectedColoursAndHints) {
  TAlignGridProps p;
  EXPECT_EQ(p.CellFont(1, 1, false), nullptr);
  EXPECT_EQ(p.CellBrush(1, 1, false), nullptr);
  p.BrushCol.Set(1, {255, 0, true});
  p.BrushFixedCol.Set(1, {128, 0, true});
  EXPECT_EQ(p.CellBrush(1, 1, false)->Color, 255);
  EXPECT_EQ(p.CellBrush(1, 0, true)->Color, 128);
  p.FontRow.Set(1, {1, -14, "宋体", 0, 1, true});
  EXPECT_EQ(p.CellFont(3, 1, false)->Height, -14);
  EXPECT_EQ(p.CellFont(3, 1, true), nullptr);
  EXPECT_EQ(p.CellSelectedColor(1, 1, 77), 77);
  p.SelectedColorRow.Set(1, 5);
  EXPECT_EQ(p.CellSelectedColor(1, 1, 77), 5);
  EXPECT_EQ(p.CellHint(1, 1), "");
  p.HintCell.Set(1, 1, "提示");
  EXPECT_EQ(p.CellHint(1, 1), "提示");
}

TEST(AlignGridLists, RegressionNegativeIndexesAreIgnoredAndFarIndexesCostOneEntry) {
  TAlignGridProps p;
  p.EditCol.Set(-1, false);
  p.AlignCell.Set(-3, 2, al_Center);
  p.AlignCell.Set(2, -3, al_Center);
  EXPECT_TRUE(p.EditCol.Empty());
  EXPECT_TRUE(p.AlignCell.Empty());
  EXPECT_EQ(p.EditCol.Obtain(-1, true), nullptr);
  p.AlignCell.Set(65535, 65535, al_Right);
  EXPECT_EQ(p.AlignCell.Columns().size(), 1u);
  EXPECT_EQ(p.CellAlignment(65535, 65535, false, al_Left), al_Right);
}

TEST(AlignGridLists, HasDataFlagOutlivesEmptying) {
  TAlignGridProps p;
  EXPECT_FALSE(p.AlignCol.HasData());
  p.AlignCol.Set(1, al_Right);
  p.ClearProperties();
  EXPECT_TRUE(p.AlignCol.Empty());
  EXPECT_TRUE(p.AlignCol.HasData());
}

TEST(AlignGridStructure, InsertedColumnShiftsLaterPropertiesRight) {
  TAlignGridProps p;
  p.AlignCol.Set(0, al_Center);
  p.AlignCol.Set(1, al_Right);
  p.AlignCol.Set(3, al_Left);
  p.HintCell.Set(1, 2, "a");
  p.HintCell.Set(0, 2, "z");
  p.InsertCol(1);
  EXPECT_EQ(Dump(p.AlignCol), "0=2 2=0 4=1 ");
  EXPECT_EQ(DumpCells(p.HintCell), "(0,2)z (2,2)a ");
}

TEST(AlignGridStructure, InsertedRowShiftsRowsAndEveryColumnsCells) {
  TAlignGridProps p;
  p.EditRow.Set(2, false);
  p.HintCell.Set(1, 2, "a");
  p.HintCell.Set(3, 1, "b");
  p.InsertRow(2);
  EXPECT_EQ(Dump(p.EditRow), "3=0 ");
  EXPECT_EQ(DumpCells(p.HintCell), "(1,3)a (3,1)b ");
}

TEST(AlignGridStructure, MovesTakeTheEntryOutAndInsertItAtTheTarget) {
  TAlignGridProps p;
  for (int i = 0; i < 5; ++i) p.SelectedColorCol.Set(i, i * 10);
  p.MoveCol(1, 3);
  EXPECT_EQ(Dump(p.SelectedColorCol), "0=0 1=20 2=30 3=10 4=40 ");
  p.MoveCol(3, 1);
  EXPECT_EQ(Dump(p.SelectedColorCol), "0=0 1=10 2=20 3=30 4=40 ");
  p.HintCell.Set(0, 1, "x");
  p.MoveRow(1, 4);
  EXPECT_EQ(DumpCells(p.HintCell), "(0,4)x ");
  // Moving to a place beyond the list's end: the list grows there.
  p.AlignRow.Set(1, al_Center);
  p.MoveRow(1, 9);
  EXPECT_EQ(Dump(p.AlignRow), "9=2 ");
}

TEST(AlignGridStructure, ExchangeRowsSwapsRowAndCellEntriesOnly) {
  TAlignGridProps p;
  p.BrushRow.Set(2, {1, 0, true});
  p.HintCell.Set(1, 2, "a");
  p.HintCell.Set(1, 5, "b");
  p.HintCell.Set(2, 5, "c");
  p.AlignCol.Set(2, al_Right);
  p.ExchangeRows(2, 5);
  EXPECT_EQ(p.BrushRow.Items().begin()->first, 5);
  EXPECT_EQ(DumpCells(p.HintCell), "(1,2)b (1,5)a (2,2)c ");
  EXPECT_EQ(Dump(p.AlignCol), "2=0 ");
  const std::string before = DumpCells(p.HintCell);
  p.ExchangeRows(3, 3);
  EXPECT_EQ(DumpCells(p.HintCell), before);
}

// --- change notices of fonts and brushes -------------------------------------------------------

// Every setter marks the entry Modified before its grid hears of the change; the notice
// stays with the entry through structural moves; a copy that outlives the notice's owner
// notifies nobody.
TEST(AlignGridChangeNotices, SettersMarkThenNotifyAndOutlivedNoticesAreSilent) {
  std::vector<bool> heard;  // the watched entry's Modified flag at each notice
  const bool* watched = nullptr;
  TAlignGridProps p;
  TCellBrush outlived;
  {
    const TCellChangeNotice notice = std::make_shared<const std::function<void()>>([&] { heard.push_back(*watched); });
    p.FontCell.Set(3, 4, TCellFont{});
    TCellFont& font = *p.FontCell.Find(3, 4);
    font.OnChange = notice;
    watched = &font.Modified;
    font.SetColor(1);
    font.SetHeight(-14);
    font.SetName("宋体");
    font.SetPitch(2);
    font.SetStyle(3);
    EXPECT_EQ(heard, std::vector<bool>(5, true));
    heard.clear();

    p.BrushRow.Set(2, TCellBrush{kClWindow, 0, false, notice});
    p.InsertRow(1);
    p.ExchangeRows(3, 7);
    TCellBrush* moved = p.BrushRow.Find(7);
    ASSERT_NE(moved, nullptr);
    watched = &moved->Modified;
    moved->SetColor(255);
    moved->SetStyle(4);
    EXPECT_EQ(heard, std::vector<bool>(2, true));
    outlived = *moved;
  }
  heard.clear();
  outlived.SetColor(0);  // its notice is gone: nobody is called, nothing crashes
  p.BrushRow.Find(7)->SetStyle(0);
  EXPECT_TRUE(heard.empty());
  // Values compare without the notice.
  EXPECT_EQ(*p.BrushRow.Find(7), (TCellBrush{255, 0, true}));
  EXPECT_EQ(outlived, (TCellBrush{0, 4, true}));
}
