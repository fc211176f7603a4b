// The stock-taking terminal's text file: "~" in GBK text, reading with its checks,
// writing, and the export file's name.
#include <gtest/gtest.h>

#include "app/uPDTerminalFile.h"

using namespace pdterminal;

namespace {

AnsiString Render(const std::vector<TCountLine>& lines) {
  AnsiString out;
  for (const TCountLine& l : lines) out += l.Barcode + ";" + l.Quantity + "\n";
  return out;
}

AnsiString Error(std::string_view bytes) {
  try {
    CountLinesOf(ParseTerminalFile(bytes));
  } catch (const ETerminalFileError& e) {
    return e.Message();
  }
  return "";
}

}  // namespace

// "皛" is B0 7E and "亊" 81 7E: their second byte is no separator.
TEST(TerminalFileSeparators, TrailByteTildeIsPartOfItsCharacter) {
  EXPECT_EQ(SeparatorOffsets("6901~001~皛~"), (std::vector<size_t>{4, 8, 11}));
  EXPECT_EQ(SeparatorOffsets("亊~"), (std::vector<size_t>{2}));
  EXPECT_FALSE(HasEmptySeparatorPair("6901~001~皛~"));  // bytes 7E 7E at 10..11
  EXPECT_TRUE(HasEmptySeparatorPair("6901~~x~"));
  EXPECT_EQ(SeparatorOffsets("\xB0"), std::vector<size_t>{});  // lead byte at the very end
  EXPECT_EQ(SeparatorOffsets("a~\xB0"), (std::vector<size_t>{1}));
}

TEST(TerminalFileRead, GbkNameWithTrailTildeIsAValidLine) {
  const std::vector<TCountLine> lines = CountLinesOf(ParseTerminalFile("01~总仓\r\n6901~001~皛~2\r\n6902~002~亊亊~\r\n"));
  EXPECT_EQ(Render(lines), "6901;2\n6902;0\n");
}

TEST(TerminalFileRead, HeaderGivesCodeBeforeFirstAndNameAfterLastSeparator) {
  const TTerminalFile f = ParseTerminalFile("01~x~总仓\r\n6901~a~b~1\r\n");
  EXPECT_EQ(f.WarehouseCode, "01");
  EXPECT_EQ(f.WarehouseName, "总仓");
  EXPECT_EQ(f.DataLines, (std::vector<AnsiString>{"6901~a~b~1"}));
  const TTerminalFile g = ParseTerminalFile("皛~皛");  // the header's only "~" is the middle byte
  EXPECT_EQ(g.WarehouseCode, "皛");
  EXPECT_EQ(g.WarehouseName, "皛");
}

TEST(TerminalFileRead, LineEndsOfEveryKind) {
  EXPECT_EQ(Render(CountLinesOf(ParseTerminalFile("01~a\n1~a~b~1\r2~a~b~2\r\n3~a~b~3"))), "1;1\n2;2\n3;3\n");
}

TEST(TerminalFileRead, RefusedFilesSayWhy) {
  const struct {
    const char* bytes;
    const char* message;
  } cases[] = {
      {"", kNotTerminalFile},
      {"01 总仓\r\n6901~a~b~1\r\n", kNotTerminalFile},
      {"01~皛\r\n", kNoCountLines},
      {"01~x\r\n6901~a~b~1\r\n6902~a~b~c~1\r\n", "盘点机文件第2行格式错误，不能导入！"},
      {"01~x\r\n6901~a~b~c~1\r\n", "盘点机文件第1行格式错误，不能导入！"},
      {"01~x\r\n6901~~b~1\r\n", "盘点机文件第1行格式错误，不能导入！"},
      {"01~x\r\n6901~a~1\r\n", "盘点机文件第1行格式错误，不能导入！"},
      {"01~x\r\n6901~a~b~1\r\n\r\n", "盘点机文件第2行格式错误，不能导入！"},
  };
  for (const auto& c : cases) EXPECT_EQ(Error(c.bytes), c.message) << c.bytes;
}

// A file with only its header hands no counts on; the bill must not be emptied by it.
TEST(TerminalFileRead, HeaderOnlyFileIsRefused) {
  EXPECT_EQ(Error("01~总仓\r\n"), kNoCountLines);
}

TEST(TerminalFileRead, CountsSortedByBarcodeKeepFileOrderOfEqualBarcodes) {
  const std::vector<TCountLine> lines =
      SortedByBarcode(CountLinesOf(ParseTerminalFile("01~x\r\n6902~A~x~3\r\n6901~B~y~\r\n6902~A~x~1\r\n")));
  EXPECT_EQ(Render(lines), "6901;0\n6902;3\n6902;1\n");
}

TEST(TerminalFileWrite, ExportLayoutAsGbkBytes) {
  const AnsiString bytes = WriteTerminalFile("01", "总仓", {{"6901", "code", "name"}, {"6902", "code", "name"}});
  EXPECT_EQ(bytes, "01~总仓\r\n6901~code~name~\r\n6902~code~name~\r\n");
  EXPECT_EQ(bytes.substr(0, 9), std::string("\x30\x31\x7E\xD7\xDC\xB2\xD6\x0D\x0A", 9));
}

TEST(TerminalFileWrite, SeparatorsAndLineEndsInsideFieldsBecomeBlanks) {
  EXPECT_EQ(WriteTerminalFile("0~1", "a\r\nb", {{"69~01", "c", "皛~x"}}), "0 1~a  b\r\n69 01~c~皛 x~\r\n");
}

TEST(TerminalFileWrite, ExportReadsBackAsTheSameLines) {
  const std::vector<TGoodsLine> goods = {{"6901", "M00001", "皛白T恤"}, {"6902", "W00002", "亊长裙"}, {"6901", "M00001", "x"}};
  const TTerminalFile f = ParseTerminalFile(WriteTerminalFile("00001", "旗舰店仓库", goods));
  EXPECT_EQ(f.WarehouseCode, "00001");
  EXPECT_EQ(f.WarehouseName, "旗舰店仓库");
  EXPECT_EQ(Render(CountLinesOf(f)), "6901;0\n6902;0\n6901;0\n");
}

// "\" / : * ? " < > | and control characters cannot stand in a file name; the trail
// byte 5C of "癨" or 7C of "皘" is no such character.
TEST(TerminalFileName, ExportFileNameReplacesIllegalCharacters) {
  EXPECT_EQ(FileNameSafe("a\\b/c:d*e?f\"g<h>i|j\tk"), "a_b_c_d_e_f_g_h_i_j_k");
  EXPECT_EQ(FileNameSafe("癨皘仓"), "癨皘仓");
  EXPECT_EQ(ProposedExportFileName("C:\\pos\\", EncodeDate(2024, 3, 5), "总仓"),
            "C:\\pos\\导出基本信息库存商品(2024-03-05)总仓.txt");
  EXPECT_EQ(ProposedExportFileName("C:\\pos\\", EncodeDate(2024, 3, 5), "东/西:仓"),
            "C:\\pos\\导出基本信息库存商品(2024-03-05)东_西_仓.txt");
}

TEST(TerminalFileName, TxtAppendedUnlessTheNameEndsInIt) {
  EXPECT_EQ(WithTxtExtension("a.txt"), "a.txt");
  EXPECT_EQ(WithTxtExtension("a"), "a.txt");
  EXPECT_EQ(WithTxtExtension("a.TXT"), "a.TXT.txt");
  EXPECT_EQ(WithTxtExtension(""), ".txt");
}

// The worked example of docs/formats/terminal-file.md.
TEST(TerminalFileRead, WorkedExampleOfTheFormatDescription) {
  const AnsiString exported = WriteTerminalFile(
      "001", "旗舰店仓库", {{"6920000000012", "M00001", "皛白T恤"}, {"6920000000029", "M00001", "皛白T恤"}});
  EXPECT_EQ(exported.substr(0, 16), std::string("\x30\x30\x31\x7E\xC6\xEC\xBD\xA2\xB5\xEA\xB2\xD6\xBF\xE2\x0D\x0A", 16));
  EXPECT_EQ(SeparatorOffsets("6920000000012~M00001~皛白T恤~"), (std::vector<size_t>{13, 20, 28}));
  const AnsiString back =
      "001~旗舰店仓库\r\n6920000000029~M00001~皛白T恤~3\r\n6920000000012~M00001~皛白T恤~\r\n"
      "6920000000029~M00001~皛白T恤~1\r\n6999999999999~X~未知~2\r\n";
  EXPECT_EQ(Render(SortedByBarcode(CountLinesOf(ParseTerminalFile(back)))),
            "6920000000012;0\n6920000000029;3\n6920000000029;1\n6999999999999;2\n");
}
