// Record sets as data packets: the declared-type rule, types of expressions, and the
// values' kinds and encodings.
#include "server/PacketReader.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <unistd.h>
#include "server/StoreErrors.h"
#include "server/StoreText.h"

using store::FieldTypeOfDecl;
using store::ReadPacket;
using store::SqliteDb;
using store::Statement;

namespace {

TEST(FieldTypeOfDecl, FollowsTheDeclaredTypeRule) {
  const struct {
    const char* Decl;
    TFieldType Type;
    int Size;
  } cases[] = {
      {"INTEGER", ftInteger, 0},        {"int", ftInteger, 0},          {"BIGINT", ftLargeint, 0},
      {"SMALLINT", ftInteger, 0},       {"BIT", ftBoolean, 0},          {"BOOLEAN", ftBoolean, 0},
      {"DATETIME", ftDateTime, 0},      {"TIMESTAMP", ftDateTime, 0},   {"DATE", ftDate, 0},
      {"TIME", ftTime, 0},              {"VARCHAR(25)", ftString, 25},  {"nvarchar(66)", ftString, 66},
      {"TEXT", ftString, 0},            {"CHAR", ftString, 0},          {"NUMERIC(18,4)", ftFloat, 0},
      {"DECIMAL(10,2)", ftFloat, 0},    {"REAL", ftFloat, 0},           {"DOUBLE PRECISION", ftFloat, 0},
      {"MONEY", ftFloat, 0},            {"FLOAT", ftFloat, 0},          {"BLOB", ftBlob, 0},
      {"", ftUnknown, 0},               {"SOMETHING", ftUnknown, 0},
  };
  for (const auto& c : cases) {
    int size = -1;
    EXPECT_EQ(FieldTypeOfDecl(c.Decl, size), c.Type) << c.Decl;
    EXPECT_EQ(size, c.Size) << c.Decl;
  }
}

class PacketReaderTest : public testing::Test {
 protected:
  void SetUp() override {
    FPath = (std::filesystem::temp_directory_path() /
             ("pos-packet-" + std::to_string(getpid()) + ".db")).string();
    std::filesystem::remove(FPath);
    FDb = std::make_unique<SqliteDb>(FPath, SqliteDb::OpenMode::CreateNew);
    FDb->Exec(
        "create table t (i INTEGER, n NUMERIC(18,4), s VARCHAR(4), d DATETIME, dd DATE, b BIT, x);"
        "insert into t values (1, 2, 'ab', '2024-03-05 14:30:15', '2024-03-05', 1, 5);"
        "insert into t values (3000000000, 2.5, '\xE6\x97\x97\xE8\x88\xB0\xE5\xBA\x97', 'soon', null, 0, 'x');"
        "insert into t values (null, null, null, null, null, null, 2.5);");
  }
  void TearDown() override {
    FDb.reset();
    std::filesystem::remove(FPath);
  }
  TDataPacket Read(const char* sql) {
    Statement st(*FDb, sql);
    return ReadPacket(st);
  }
  std::string FPath;
  std::unique_ptr<SqliteDb> FDb;
};

std::string Kinds(const std::vector<Variant>& row) {
  std::string r;
  for (const Variant& v : row) r += VarTypeAsText(v.VType()) + ",";
  return r;
}

TEST_F(PacketReaderTest, ColumnsTakeTheirDeclaredTypes) {
  const TDataPacket p = Read("select i, n, s, d, dd, b from t");
  std::string types;
  for (const auto& f : p.Fields) types += std::to_string(f.DataType) + "/" + std::to_string(f.Size) + " ";
  // i needs 64 bits in the second row; s is declared 4 bytes but holds a longer text.
  EXPECT_EQ(types, "25/0 6/0 1/6 11/0 9/0 5/0 ");
  ASSERT_EQ(p.Rows.size(), 3u);
  EXPECT_EQ(Kinds(p.Rows[0]), "Int64,Double,String,Date,Date,Boolean,");
  EXPECT_EQ(Kinds(p.Rows[2]), "Null,Null,Null,Null,Null,Null,");
}

TEST_F(PacketReaderTest, ValuesConvertToTheFieldsTypeAndTextToGbk) {
  const TDataPacket p = Read("select i, n, s, d, b from t");
  EXPECT_EQ(p.Rows[0][1].AsDouble(), 2.0);
  EXPECT_EQ(p.Rows[1][1].AsDouble(), 2.5);
  EXPECT_EQ(p.Rows[1][0].AsInt64(), 3000000000LL);
  EXPECT_EQ(p.Rows[1][2].RawString(), "\xC6\xEC\xBD\xA2\xB5\xEA");  // 旗舰店 in GBK
  EXPECT_EQ(store::DateTimeText(p.Rows[0][3].AsDateTime()), "2024-03-05 14:30:15");
  // A date column's text that is no date stays text rather than being lost.
  EXPECT_EQ(p.Rows[1][3].VType(), varString);
  EXPECT_EQ(p.Rows[1][3].RawString(), "soon");
  EXPECT_TRUE(p.Rows[0][4].AsBoolean());
  EXPECT_FALSE(p.Rows[1][4].AsBoolean());
}

TEST_F(PacketReaderTest, ExpressionsTakeTheirTypeFromTheirValues) {
  const struct {
    const char* Sql;
    TFieldType Type;
    const char* Kinds;
  } cases[] = {
      {"select count(1) + 1 from t", ftInteger, "Integer,"},
      {"select ifnull(n, 2) from t where i = 3000000000", ftFloat, "Double,"},
      // SQLite keeps a whole number of a NUMERIC column as an integer: an expression
      // over it is typed by what it holds.
      {"select ifnull(n, 0) from t where i = 1", ftInteger, "Integer,"},
      {"select 1 union all select 2.5", ftFloat, "Double,"},
      {"select 3000000000", ftLargeint, "Int64,"},
      {"select x from t", ftString, "String,"},  // 5, 'x', 2.5: the numbers become text
      {"select null", ftString, "Null,"},
      {"select 'abc'", ftString, "String,"},
  };
  for (const auto& c : cases) {
    const TDataPacket p = Read(c.Sql);
    ASSERT_EQ(p.Fields.size(), 1u);
    EXPECT_EQ(p.Fields[0].DataType, c.Type) << c.Sql;
    EXPECT_EQ(Kinds(p.Rows[0]), c.Kinds) << c.Sql;
  }
  const TDataPacket mixed = Read("select x from t");
  EXPECT_EQ(mixed.Rows[0][0].RawString(), "5");
  EXPECT_EQ(mixed.Rows[2][0].RawString(), "2.5");
  EXPECT_EQ(mixed.Fields[0].Size, 3);
}

TEST_F(PacketReaderTest, EmptyResultKeepsItsFields) {
  const TDataPacket p = Read("select i as Code, s as Name from t where 1 = 0");
  ASSERT_EQ(p.Fields.size(), 2u);
  EXPECT_EQ(p.Fields[0].Name, "Code");
  EXPECT_EQ(p.Fields[1].DataType, ftString);
  EXPECT_EQ(p.Fields[1].Size, 4);
  EXPECT_TRUE(p.Rows.empty());
}

TEST_F(PacketReaderTest, StepErrorsCarrySqlitesMessage) {
  Statement st(*FDb, "select abs(-9223372036854775807 - 1)");
  try {
    ReadPacket(st);
    FAIL();
  } catch (const ESqlError& e) {
    EXPECT_EQ(e.Message(), "integer overflow");
  }
}

}  // namespace
