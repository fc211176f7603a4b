// Hostile bytes in terminal files and SQL literals: control characters and NULs are
// refused with the reader's own messages before anything reaches SQL text, a UTF-8
// file is no terminal file, and an export never writes what the import refuses.
#include <gtest/gtest.h>

#include "app/SqlLiteral.h"
#include "app/uPDTerminalFile.h"

using namespace pdterminal;

namespace {

AnsiString ErrorOf(std::string_view bytes) {
  try {
    CountLinesOf(ParseTerminalFile(bytes));
  } catch (const ETerminalFileError& e) {
    return e.Message();
  }
  return "read";
}

std::string Bytes(std::initializer_list<std::string_view> parts) {
  std::string s;
  for (std::string_view p : parts) s.append(p.data(), p.size());
  return s;
}

const std::string kLine1 = "盘点机文件第1行格式错误，不能导入！";
const std::string kLine2 = "盘点机文件第2行格式错误，不能导入！";

}  // namespace

// A NUL in the header ("00 7E" alone was enough) used to reach the warehouse look-up's
// SQL text, where the server cut the statement at it.
TEST(TerminalFileHostile, RegressionControlCharacterInHeaderIsNoTerminalFile) {
  const std::string nul(1, '\0');
  const std::string cases[] = {
      Bytes({nul, "~"}),
      Bytes({nul, "~x\r\n6901~a~b~1\r\n"}),
      Bytes({"01", nul, "~总仓\r\n6901~a~b~1\r\n"}),
      Bytes({"01~总", nul, "仓\r\n6901~a~b~1\r\n"}),     // in the name, too: the header is one line
      "01\t~总仓\r\n6901~a~b~1\r\n",
      "01\x1F~x\r\n6901~a~b~1\r\n",
      "01\x7F~x\r\n6901~a~b~1\r\n",
      Bytes({"\x81", nul, "~x\r\n6901~a~b~1\r\n"}),  // a lead byte cannot hide a NUL
  };
  for (const std::string& c : cases) EXPECT_EQ(ErrorOf(c), kNotTerminalFile) << testing::PrintToString(c);
}

TEST(TerminalFileHostile, RegressionControlCharacterInBarcodeIsALineOfTheWrongFormat) {
  const std::string nul(1, '\0');
  EXPECT_EQ(ErrorOf(Bytes({"01~x\r\n69", nul, "01~a~b~1\r\n"})), kLine1);
  EXPECT_EQ(ErrorOf("01~x\r\n6901~a~b~1\r\n69\x01~a~b~1\r\n"), kLine2);
  EXPECT_EQ(ErrorOf("01~x\r\n6901~a~b~1\r\n\t6902~a~b~1\r\n"), kLine2);
  EXPECT_EQ(ErrorOf("01~x\r\n\x7F~a~b~1\r\n"), kLine1);
  // Code, name and quantity are not read back: what the terminal writes there stays its own.
  EXPECT_EQ(ErrorOf(Bytes({"01~x\r\n6901~a", nul, "~b\tc~1\r\n"})), "read");
  // GBK characters of every trail byte stay valid barcodes.
  EXPECT_EQ(ErrorOf("01~x\r\n\x81\x40\xFE\xFE\xB0\x7E~a~b~1\r\n"), "read");
}

// A UTF-8 byte-order mark used to end up in the warehouse code ("仓库…不存在").
TEST(TerminalFileHostile, RegressionUtf8ByteOrderMarkIsNoTerminalFile) {
  EXPECT_EQ(ErrorOf("\xEF\xBB\xBF" "01~x\r\n6901~a~b~1\r\n"), kNotTerminalFile);
  EXPECT_EQ(ErrorOf("\xEF\xBB\xBF"), kNotTerminalFile);
  // The same bytes further on are GBK text like any other.
  EXPECT_EQ(ErrorOf("01~\xEF\xBB\xBF\r\n6901~a~b~1\r\n"), "read");
}

TEST(TerminalFileHostile, ExportBlanksControlCharactersSoThatItReadsBack) {
  const std::string nul(1, '\0');
  const AnsiString bytes =
      WriteTerminalFile(Bytes({"0", nul, "1"}), "总\t仓", {{Bytes({"69", nul, "01"}), "c\x1F", "n\x7F"}});
  EXPECT_EQ(bytes, "0 1~总 仓\r\n69 01~c ~n ~\r\n");
  EXPECT_EQ(ErrorOf(bytes), "read");
}

// The quoting helper used to pass a NUL on into the SQL text.
TEST(SqlQuotedHostile, RegressionNulIsRefusedNarrowAndWide) {
  const std::string nul(1, '\0');
  for (const std::string& v : {nul, Bytes({"a", nul}), Bytes({nul, "'"}), Bytes({"\x81", nul})}) {
    try {
      SqlQuoted(std::string_view(v));
      ADD_FAILURE() << "quoted " << testing::PrintToString(v);
    } catch (const ESqlLiteralError& e) {
      EXPECT_EQ(e.Message(), kNulInLiteral);
    }
  }
  EXPECT_THROW(SqlQuoted(std::u16string_view(u"a\0b", 3)), ESqlLiteralError);
  // Every other control character is text like any other.
  EXPECT_EQ(SqlQuoted(std::string_view("a\tb\x01")), "'a\tb\x01'");
}
