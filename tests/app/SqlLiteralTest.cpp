// SQL text literals: quotes doubled, everything else unchanged.
#include <gtest/gtest.h>

#include "app/SqlLiteral.h"

TEST(SqlQuoted, NarrowTable) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"", "''"},
      {"00012", "'00012'"},
      {"O'Neil", "'O''Neil'"},
      {"'", "''''"},
      {"''", "''''''"},
      {"'; delete from PDBill --", "'''; delete from PDBill --'"},
      {"\xD5\xC5\xC8\xFD", "'\xD5\xC5\xC8\xFD'"},                 // 张三
      {"\xB2\xE2'\xCA\xD4", "'\xB2\xE2''\xCA\xD4'"},              // 测'试
      {"\x81\x40\xFE\xFE", "'\x81\x40\xFE\xFE'"},                 // trail bytes never 0x27
  };
  for (const auto& c : cases) EXPECT_EQ(SqlQuoted(c.in), c.out) << c.in;
}

TEST(SqlQuoted, WideTable) {
  EXPECT_EQ(SqlQuoted(std::u16string_view(u"")), u"''");
  EXPECT_EQ(SqlQuoted(std::u16string_view(u"ab")), u"'ab'");
  EXPECT_EQ(SqlQuoted(std::u16string_view(u"张'三")), u"'张''三'");
}
