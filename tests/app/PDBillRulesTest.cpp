// The stock-take bill's window-free rules: quantity text, totals, merged lines, the bill
// number and the statements that save a bill.
#include <gtest/gtest.h>

#include "app/uPDBillRec.h"
#include "app/uPDQuantity.h"
#include "app/uPDChooser.h"
#include "tests/app/PdScriptChooser.h"
#include "app/uPDMangerRules.h"
#include "app/uPDMessages.h"
#include "tests/app/PdTestDoubles.h"

using namespace pdbill;

namespace {

// Rows of goods id, colour id, size id, quantity, price.
TPdMemorySheet Sheet(std::initializer_list<std::array<const char*, 5>> rows) {
  TPdMemorySheet s;
  int r = 0;
  for (const auto& row : rows) {
    if (r >= s.RowCount()) s.AddRow();
    s.SetCell(pcGoodsId, r, row[0]);
    s.SetCell(pcColorId, r, row[1]);
    s.SetCell(pcSizeId, r, row[2]);
    s.SetCell(pcQty, r, row[3]);
    s.SetCell(pcPrice, r, row[4]);
    ++r;
  }
  return s;
}

AnsiString Render(const std::vector<TPDBillRec>& lines) {
  AnsiString out;
  for (const TPDBillRec& l : lines) out += l.PtypeId + "/" + l.ColorId + "/" + l.SizeId + " " + l.Qty + "\n";
  return out;
}

std::string Utf8(const WideString& w) { return GbkToUtf8(WideToGbk(w)); }

}  // namespace

TEST(PdQuantityAfterEdit, Table) {
  const struct {
    const char* typed;
    const char* kept;
  } cases[] = {
      {".5", "0.5"},         {"1.2345", "1.23"},   {"123456789", "100000000"}, {"100000000", "100000000"},
      {"99999999.99", "99999999.99"}, {"2.5", "2.5"}, {"3", "3"}, {"", ""}, {"1.005", "1.01"},
  };
  for (const auto& c : cases) EXPECT_EQ(QuantityAfterEdit(c.typed), c.kept) << c.typed;
}

// A lone "." used to be read before the "0" went in front, which stopped with a
// conversion error; it now becomes "0.".
TEST(PdQuantityAfterEdit, LoneDotBecomesZeroDot) {
  EXPECT_EQ(QuantityAfterEdit("."), "0.");
  EXPECT_EQ(QuantityValue("."), 0);
}

// Text pasted into the editor that is no number counts 0 and is cleared.
TEST(PdQuantityAfterEdit, NonNumericQuantityIsCleared) {
  for (const char* t : {"abc", "1,5", "1.2.3", "--1", "1e", "五"}) EXPECT_EQ(QuantityAfterEdit(t), "") << t;
}

// A count pasted past the key rules is a count only when the keys could have typed it:
// digits with at most one ".". Before, a sign, an exponent or a blank was read as a number
// and kept, and "-5" was saved as a negative count.
TEST(PdQuantityAfterEdit, PastedTextTheKeysCannotTypeIsCleared) {
  for (const char* t : {"-5", "+5", "-0", "1e5", "1E-2", " 5", "5 ", "5\r\n", "\t7"})
    EXPECT_EQ(QuantityAfterEdit(t), "") << t;
  for (const char* t : {"5", "0.", "007", "1234567.89"}) EXPECT_EQ(QuantityAfterEdit(t), t) << t;
}

// Each key judged by the text it leaves in the editor: typed at the caret (an empty
// selection) or over the selection it replaces. Before, the rules looked at the whole
// cell, so ".75" typed over a selected "2.5" lost its "." (75), and a full cell took no
// digit even over a selection.
TEST(PdQuantityKeys, JudgedByTheTextTheKeyLeaves) {
  const struct {
    const char* text;
    int selStart, selLength;
    char key;
    bool goods, forbidDecimal, accepted;
  } cases[] = {
      {"1", 1, 0, '5', true, false, true},
      {"1", 1, 0, '.', true, false, true},
      {"1.", 2, 0, '.', true, false, false},
      {"1", 1, 0, '.', true, true, false},  // ForbidDecimal
      {"1", 1, 0, 'a', true, false, false},
      {"1", 1, 0, '-', true, false, false},
      {"", 0, 0, '1', false, false, false},  // no goods on the row
      {"", 0, 0, '\b', false, false, false},
      {"123456789012", 12, 0, '1', true, false, false},
      {"123456789012", 12, 0, '\b', true, false, true},
      {"12345678901", 11, 0, '1', true, false, true},
      {"2.5", 0, 3, '.', true, false, true},   // over the whole selected text
      {"2.5", 0, 2, '.', true, false, true},   // over "2." of "2.5": ".5"
      {"2.5", 0, 1, '.', true, false, false},  // over "2": "..5"
      {"2.5", 3, 0, '.', true, false, false},
      {"123456789012", 0, 12, '7', true, false, true},
      {"123456789012", 3, 1, '7', true, false, true},
      {"2.5", 1, 2, '.', true, true, false},
      {"2.5", 9, 4, '1', true, false, true},   // a selection past the end: at the end
  };
  for (const auto& c : cases) {
    EXPECT_EQ(QuantityKeyAccepted({c.text, c.selStart, c.selLength}, c.key, c.goods, c.forbidDecimal), c.accepted)
        << c.text << " [" << c.selStart << "," << c.selLength << "] " << c.key;
  }
  EXPECT_EQ(TextAfterKey({"2.5", 0, 3}, '.'), ".");
  EXPECT_EQ(TextAfterKey({"2.5", 1, 1}, '7'), "275");
  EXPECT_EQ(TextAfterKey({"2.5", 9, 4}, '1'), "2.51");
}

TEST(PdTotals, AmountsAndTotals) {
  TPdMemorySheet s = Sheet({{"1", "0", "0", "2", "10.5"}, {"2", "0", "0", "3.5", "100"}, {"3", "0", "0", "", "7"}});
  s.SetCell(pcStock, 0, "4");
  s.SetCell(pcStock, 2, "1.25");
  const TPdTotals t = SumTotals(s);
  EXPECT_EQ(s.Cell(pcAmount, 0), "21");
  EXPECT_EQ(s.Cell(pcAmount, 1), "350");
  EXPECT_EQ(s.Cell(pcAmount, 2), "");
  EXPECT_EQ(TotalText(t.Quantity), "5.5");
  EXPECT_EQ(TotalText(t.Stock), "5.25");
  EXPECT_EQ(TotalText(t.Amount), "371");
}

// A number cell holding text that is no number stopped the totals with a conversion
// error; it now counts 0 and is cleared.
TEST(PdTotals, NonNumericQuantityCountsZeroAndIsCleared) {
  TPdMemorySheet s = Sheet({{"1", "0", "0", "x1", "10"}, {"2", "0", "0", "2", "五"}, {"3", "0", "0", "1", "3"}});
  s.SetCell(pcStock, 0, "??");
  const TPdTotals t = SumTotals(s);
  EXPECT_EQ(s.Cell(pcQty, 0), "");
  EXPECT_EQ(s.Cell(pcPrice, 1), "");
  EXPECT_EQ(s.Cell(pcStock, 0), "");
  EXPECT_EQ(TotalText(t.Quantity), "3");
  EXPECT_EQ(TotalText(t.Amount), "3");
}

// A row without goods (text left in the entry row's name) saves nothing, so it counts
// nothing. Before, its quantity was in the total that the store then did not hold.
TEST(PdTotals, RowsWithoutGoodsCountNothing) {
  TPdMemorySheet s = Sheet({{"1", "0", "0", "1", "10"}, {"", "", "", "5", "3"}, {"2", "0", "0", "2", ""}});
  s.SetCell(pcName, 1, "abc");
  s.SetCell(pcStock, 1, "7");
  s.SetCell(pcStock, 2, "1");
  const TPdTotals t = SumTotals(s);
  EXPECT_EQ(TotalText(t.Quantity) + "|" + TotalText(t.Stock) + "|" + TotalText(t.Amount) + "|" + s.Cell(pcAmount, 1),
            "3|1|10|");
}

// A count on a row without goods stops the save with the rows named, before anything is
// stored; the rows with goods alone would have been saved under a success message.
TEST(PdSave, ACountWithoutGoodsIsNeverLeftOutQuietly) {
  TPdMemorySheet s = Sheet({{"1", "0", "0", "1", ""}, {"", "", "", "5", ""}, {"", "", "", "", ""},
                            {"", "", "", "0", ""}});
  TScriptedChooser chooser;
  TRecordedMessages messages;
  TPdMangerRules rules(s, chooser, messages, TPdServers{}, 0);
  EXPECT_EQ(rules.Save(EncodeDate(2024, 3, 5)), TSaveOutcome::Stay);
  EXPECT_EQ(messages.Texts(), AnsiString(kCountWithoutGoods) + "2,4\n");
  EXPECT_EQ(messages.Shown.at(0).Caption, kCaptionHint);
}

TEST(PdMerge, SameGoodsColourAndSizeAddUpOthersStayApart) {
  const TPdMemorySheet s = Sheet({{"00001", "0", "0", "2", ""},
                                  {"00002", "1", "2", "1", ""},
                                  {"", "", "", "9", ""},
                                  {"00001", "", "", "3.5", ""},
                                  {"00002", "3", "2", "4", ""},
                                  {"00003", "1", "1", "", ""}});
  EXPECT_EQ(Render(MergeBillLines(s)), "00001/0/0 5.5\n00002/1/2 1\n00002/3/2 4\n00003/1/1 0\n");
}

TEST(PdBillNumber, TerminalDateAndFiveDigitSequence) {
  EXPECT_EQ(MakeBillNumber("001", "2024-03-05", "1"), "001 2024-03-05 00001");
  EXPECT_EQ(MakeBillNumber("001", "2024-03-05", "12"), "001 2024-03-05 00012");
  EXPECT_EQ(MakeBillNumber("001", "2024-03-05", ""), "001 2024-03-05 00001");
  EXPECT_EQ(MakeBillNumber("001", "2024-03-05", "123456"), "001 2024-03-05 123456");
}

TEST(PdStatements, TextsOfTheStoreForPlainValues) {
  const TPdBillHeader h{"01", "00002", "2024-03-05", "3", "U1", "001 2024-03-05 00001"};
  EXPECT_EQ(Utf8(HeaderInsertSql(h)),
            "insert into CommonPosPtypeCheckNdx(KTypeID,OperatorID,PDDate,PosID,IsUpSend,UpLoadPosVchCode,UniqueID,"
            "PDNumber) values('01','00002','2024-03-05','3', 0,0, 'U1','001 2024-03-05 00001') Select @@Identity As "
            "CheckCode");
  EXPECT_EQ(Utf8(HeaderInsertSql(h, 57)),
            "insert into CommonPosPtypeCheckNdx(KTypeID,OperatorID,PDDate,PosID,IsUpSend,UpLoadPosVchCode,UniqueID,"
            "PDNumber) values('01','00002','2024-03-05','3', 1, 57,'U1','001 2024-03-05 00001') Select @@Identity As "
            "CheckCode");
  EXPECT_EQ(Utf8(LineInsertSql(57, {"00001", "0", "0", "5.5"})),
            "insert into CommonPosPtypeCheckList(CheckCode,PtypeID,ColorID,SizeID,Qty,IsUpSend) values(57,'00001',0,0, "
            "5.5, 0)");
  EXPECT_EQ(Utf8(MarkUploadedSql(1234, 57)), "update CommonPosPtypeCheckNdx set IsUpSend = 1, PdVchCode = 1234 where CheckCode = 57");
  EXPECT_EQ(Utf8(BillSequenceSql("2024-03-05")),
            "select count(1) + 1 as MaxCode from CommonPosPtypeCheckNdx where PdDate = '2024-03-05'");
  EXPECT_EQ(Utf8(TerminalCodeSql("3")), "select UserCode from posinfoview where PosId = '3'");
}

// Values from the host (operator, terminal, unique id) and from the grid are quoted;
// numbers are written from numbers, so a quote or a word cannot reach the statement.
TEST(PdStatements, SqlTextQuotesEveryValue) {
  const TPdBillHeader h{"0'1", "o'p", "2024-03-05", "3'", "U'1; drop table x", "n'"};
  EXPECT_EQ(Utf8(HeaderInsertSql(h)),
            "insert into CommonPosPtypeCheckNdx(KTypeID,OperatorID,PDDate,PosID,IsUpSend,UpLoadPosVchCode,UniqueID,"
            "PDNumber) values('0''1','o''p','2024-03-05','3''', 0,0, 'U''1; drop table x','n''') Select @@Identity As "
            "CheckCode");
  EXPECT_EQ(Utf8(LineInsertSql(5, {"a'b", "", "", "1"})),
            "insert into CommonPosPtypeCheckList(CheckCode,PtypeID,ColorID,SizeID,Qty,IsUpSend) values(5,'a''b',0,0, 1, 0)");
  EXPECT_THROW(LineInsertSql(5, {"1", "0 or 1=1", "0", "1"}), EPdBillError);
  EXPECT_THROW(LineInsertSql(5, {"1", "0", "0", "1);delete from x;--"}), EPdBillError);
}

TEST(PdStatements, LineInsertsGoInBatches) {
  std::vector<TPDBillRec> lines;
  for (int i = 1; i <= 5; ++i) lines.push_back({IntToStr(i), "0", "0", "1"});
  const std::vector<WideString> batches = LineInsertBatches(9, lines, 2);
  ASSERT_EQ(batches.size(), 3u);
  EXPECT_EQ(batches[0], LineInsertSql(9, lines[0]) + u"\r\n" + LineInsertSql(9, lines[1]));
  EXPECT_EQ(batches[2], LineInsertSql(9, lines[4]));
  EXPECT_TRUE(LineInsertBatches(9, {}, 2).empty());
}

TEST(PdStatements, CheckCodeMustBeAPositiveInteger) {
  EXPECT_EQ(CheckCodeOf("57"), 57);
  EXPECT_THROW(CheckCodeOf(""), EPdBillError);
  EXPECT_THROW(CheckCodeOf("0"), EPdBillError);
  EXPECT_THROW(CheckCodeOf("x"), EPdBillError);
}

// The exit question used to come only for rows with both goods and a quantity, so
// lines chosen by code or name (quantity still empty) were lost without a word.
TEST(PdExitQuestion, AsksWheneverAnyRowHoldsGoods) {
  TPdMemorySheet s = Sheet({{"", "", "", "5", ""}});
  EXPECT_FALSE(HasGoods(s));
  s.AddRow();
  s.SetCell(pcGoodsId, 1, "00001");
  EXPECT_TRUE(HasGoods(s));
}

TEST(PdScriptChooser, AnswersByKindInOrderAndCancelsWhenNoneIsLeft) {
  TPdScriptChooser c(
      "# walk-through\r\nStockWarehouse\t00001|001|旗舰店仓库\r\n\r\nGoodsBySearch\ta|A|x|1|红|2|S\tb|B\r\n"
      "GoodsBySearch\r\nStockWarehouse\t00002|002");
  EXPECT_EQ(c.Choose(TPdChoiceKind::GoodsOfBarcode, "").size(), 0u);
  const auto w = c.Choose(TPdChoiceKind::StockWarehouse, "");
  ASSERT_EQ(w.size(), 1u);
  EXPECT_EQ(w[0].TypeId + "/" + w[0].UserCode + "/" + w[0].FullName, "00001/001/旗舰店仓库");
  const auto g = c.Choose(TPdChoiceKind::GoodsBySearch, "x");
  ASSERT_EQ(g.size(), 2u);
  EXPECT_EQ(g[0].SizeName + g[1].UserCode + g[1].ColorId, "SB");
  EXPECT_TRUE(c.Choose(TPdChoiceKind::GoodsBySearch, "x").empty());
  EXPECT_TRUE(c.Choose(TPdChoiceKind::GoodsBySearch, "x").empty());
  EXPECT_EQ(c.Choose(TPdChoiceKind::StockWarehouse, "")[0].TypeId, "00002");
  EXPECT_THROW(TPdScriptChooser("Nothing\tx"), EPdChooserScript);
}

// Opening the editor on a name (code) cell that holds text remembers it and forgets the
// code (name); an empty cell, another column or a row off the bill changes nothing.
TEST(PdBeforeEdit, RemembersTheNameOrTheCodeOfTheCellEdited) {
  TPdMemorySheet s;
  s.SetCell(pcCode, 0, "K00010");
  s.SetCell(pcName, 0, "衬衫");
  s.AddRow();
  TScriptedChooser chooser;
  TRecordedMessages messages;
  TPdMangerRules rules(s, chooser, messages, TPdServers{}, 0);
  const auto state = [&] { return rules.OldName() + "|" + rules.OldCode(); };
  rules.BeforeEdit(pcName, 0);
  EXPECT_EQ(state(), "衬衫|");
  rules.BeforeEdit(pcCode, 0);
  EXPECT_EQ(state(), "|K00010");
  rules.BeforeEdit(pcName, 1);  // the empty entry row
  rules.BeforeEdit(pcQty, 0);
  rules.BeforeEdit(pcName, 2);
  rules.BeforeEdit(pcCode, -1);
  EXPECT_EQ(state(), "|K00010");
  rules.BeforeEdit(pcName, 0);
  EXPECT_EQ(state(), "衬衫|");
  rules.BeforeEdit(pcCode, 1);
  EXPECT_EQ(state(), "衬衫|");
}

// A quantity left with what a scanner types (12 digits: the key limit) gets back the count
// its cell held when its editor opened, and the user is told; the dress grid opens the next
// cell's editor before the after-edit of the cell left arrives (Down from one quantity to
// the next). Counts typed by hand keep their rules, and the count given back is the one
// the last edit left. Before, the scan was capped to the count 100000000.
TEST(PdAfterEdit, AScanLeftInAQuantityGivesTheCountItHadBack) {
  TPdMemorySheet s;
  for (int r : {0, 1}) {
    if (r > 0) s.AddRow();
    s.SetCell(pcGoodsId, r, r == 0 ? "00001" : "00002");
    s.SetCell(pcName, r, r == 0 ? "衬衫" : "夹克");
  }
  s.SetCell(pcQty, 0, "5");
  s.SetCell(pcQty, 1, "3");
  s.AddRow();
  TScriptedChooser chooser;
  TRecordedMessages messages;
  TPdMangerRules rules(s, chooser, messages, TPdServers{}, 0);
  const auto edit = [&](int row, const char* text) {
    s.SetCell(pcQty, row, text);
    rules.AfterEdit(pcQty, row);
    return s.Cell(pcQty, row);
  };
  rules.BeforeEdit(pcQty, 0);
  s.SetCell(pcQty, 0, "692000000001");
  rules.BeforeEdit(pcQty, 1);
  rules.AfterEdit(pcQty, 0);
  EXPECT_EQ(s.Cell(pcQty, 0), "5");
  EXPECT_EQ(messages.Texts(), AnsiString(kScanInQuantity) + "\n");
  EXPECT_EQ(edit(1, "12345678901"), "100000000");  // 11 digits: typed, capped
  EXPECT_EQ(edit(1, "1234567.8912"), "1234567.89");
  EXPECT_EQ(edit(1, "7"), "7");
  EXPECT_EQ(edit(1, "6920000000013"), "7");
  EXPECT_EQ(messages.Shown.size(), 2u);
}
