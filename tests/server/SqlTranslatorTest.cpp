// The T-SQL translation layer on its own: each construct it mends, and what it must
// leave alone.
#include "server/SqlTranslator.h"

#include <gtest/gtest.h>
#include "server/StoreErrors.h"

using store::NormalizeProcName;
using store::TranslateBatch;

namespace {

std::string Joined(const std::vector<std::string>& v) {
  std::string r;
  for (const auto& s : v) r += (r.empty() ? "" : " | ") + s;
  return r;
}

struct Case {
  const char* Name;
  const char* In;
  const char* Out;   // statements joined with " | "
};

class TranslateCase : public testing::TestWithParam<Case> {};

TEST_P(TranslateCase, GivesTheSqliteText) {
  EXPECT_EQ(Joined(TranslateBatch(GetParam().In)), GetParam().Out) << GetParam().Name;
}

const Case kCases[] = {
    {"plain statement passes byte for byte", "Select SysValue from sysdata where SysId = 19",
     "Select SysValue from sysdata where SysId = 19"},
    {"isnull call becomes ifnull", "select isnull(Pe.Price,0) as Price from t Pe",
     "select ifnull(Pe.Price,0) as Price from t Pe"},
    {"ISNULL in any case, blank before the parenthesis", "select ISNULL (a, 0) from t",
     "select ifnull (a, 0) from t"},
    {"isnull as a column name is left alone", "select isnull from t", "select isnull from t"},
    {"isnull inside a literal is left alone", "select 'isnull(' from t", "select 'isnull(' from t"},
    {"bracketed identifier becomes quoted", "select [name], [a b] from t",
     "select \"name\", \"a b\" from t"},
    {"closing bracket doubled inside a bracketed identifier", "select [a]]b] from t",
     "select \"a]b\" from t"},
    {"number run into a keyword gets its blank",
     "select qty from v where colorid = 0and sizeid = 0",
     "select qty from v where colorid = 0 and sizeid = 0"},
    {"decimal run into a keyword", "select 1 where 2.5or 1", "select 1 where 2.5 or 1"},
    {"exponent stays a number", "select 1e5, 2E-3", "select 1e5, 2E-3"},
    {"hex literal stays a number", "select 0x1F", "select 0x1F"},
    {"insert batch with identity is split",
     "insert into t(a) values('x') Select @@Identity As CheckCode",
     "insert into t(a) values('x') | Select last_insert_rowid() As CheckCode"},
    {"identity in any case", "select @@IDENTITY", "select last_insert_rowid()"},
    {"insert ... select stays one statement", "insert into t(a) select a from u",
     "insert into t(a) select a from u"},
    {"union select stays one statement", "select 1 union all select 2 union select 3",
     "select 1 union all select 2 union select 3"},
    {"subquery select stays inside", "select * from (select a from t) x where a in (select b from u)",
     "select * from (select a from t) x where a in (select b from u)"},
    {"two selects without separator are two statements", "select 1 select 2",
     "select 1 | select 2"},
    {"update then select", "update t set a = 1 where b = 2 select a from t",
     "update t set a = 1 where b = 2 | select a from t"},
    {"semicolons separate", "delete from t; ; select 1;", "delete from t | select 1"},
    {"keywords inside literals do not split", "select 'a select b' from t",
     "select 'a select b' from t"},
    {"doubled quote inside a literal", "select 'it''s' select 2", "select 'it''s' | select 2"},
    {"DB_Name needs no rewriting", "select DB_Name() As DbName", "select DB_Name() As DbName"},
    {"comments pass through", "select 1 -- one\n/* two */ from t",
     "select 1 -- one\n/* two */ from t"},
    {"blank batch gives no statement", "  \n -- nothing\n ", ""},
    {"Chinese literal passes byte for byte", "select '\xE6\x97\x97\xE8\x88\xB0\xE5\xBA\x97'",
     "select '\xE6\x97\x97\xE8\x88\xB0\xE5\xBA\x97'"},
};

INSTANTIATE_TEST_SUITE_P(Constructs, TranslateCase, testing::ValuesIn(kCases));

TEST(TranslateBatch, PowerRangeFunctionBecomesASubqueryWithItsArguments) {
  const auto out = TranslateBatch("select * from    FN_GetPowerRangeEList ('00001','')");
  ASSERT_EQ(out.size(), 1u);
  const std::string& s = out[0];
  EXPECT_EQ(s.rfind("select * from    (select e.typeid as typeid", 0), 0u) << s;
  EXPECT_NE(s.find("r.OperatorId = ('00001')"), std::string::npos) << s;
  EXPECT_NE(s.find("(('') = '' or e.ParId = (''))"), std::string::npos) << s;
  EXPECT_EQ(s.find("FN_GetPowerRangeEList"), std::string::npos) << s;
}

TEST(TranslateBatch, PowerRangeFunctionNameIsCaseInsensitiveAndKeepsItsAlias) {
  const auto out = TranslateBatch("select x.typeid from fn_getpowerrangeelist('1', '') x");
  ASSERT_EQ(out.size(), 1u);
  EXPECT_NE(out[0].find(")) x"), std::string::npos) << out[0];
}

TEST(TranslateBatch, FaultsAreReportedWithTheEnginesWording) {
  const struct {
    const char* In;
    const char* Message;
  } faults[] = {
      {"select 'abc", "Unclosed quotation mark after the character string 'abc'."},
      {"select [abc", "Unclosed quotation mark before the identifier 'abc'."},
      {"select 1 /* open", "Missing end comment mark '*/'."},
      {"select @x", "Must declare the scalar variable \"@x\"."},
      {"select @@rowcount", "Must declare the scalar variable \"@@rowcount\"."},
      {"select * from FN_GetPowerRangeEList ('1')",
       "FN_GetPowerRangeEList takes 2 arguments, 1 given."},
      {"select * from FN_GetPowerRangeEList ('1', ", "Incorrect syntax near 'FN_GetPowerRangeEList'."},
      {"select * from FN_GetPowerRangeEList x", "FN_GetPowerRangeEList is a table-valued function and needs its arguments."},
  };
  for (const auto& f : faults) {
    try {
      TranslateBatch(f.In);
      ADD_FAILURE() << "no error for " << f.In;
    } catch (const ESqlError& e) {
      EXPECT_EQ(e.Message(), f.Message) << f.In;
    }
  }
}

// Any text either translates or fails with ESqlError: never another failure, never a
// crash (the text comes from the network).
TEST(TranslateBatch, ArbitraryTextTranslatesOrFailsCleanly) {
  const std::string alphabet = "sSelect @@[]'\";-/*\n 0a(),isnull FN_GetPowerRangeEList\xA1\xF8\xE6";
  uint64_t state = 12345;
  for (int i = 0; i < 5000; ++i) {
    std::string text;
    const int length = static_cast<int>(state % 60);
    for (int k = 0; k < length; ++k) {
      state = state * 6364136223846793005ull + 1442695040888963407ull;
      text += alphabet[(state >> 33) % alphabet.size()];
    }
    try {
      for (const std::string& st : TranslateBatch(text)) EXPECT_FALSE(st.empty());
    } catch (const ESqlError&) {
    }
  }
}

TEST(NormalizeProcName, RemovesBracketsAndTheFirstGroupNumber) {
  EXPECT_EQ(NormalizeProcName("[QP_nInsertVipCardSign]"), "QP_nInsertVipCardSign");
  EXPECT_EQ(NormalizeProcName("GetSysValue;1"), "GetSysValue");
  EXPECT_EQ(NormalizeProcName("Pos_J2_PosGetBasicData"), "Pos_J2_PosGetBasicData");
  EXPECT_EQ(NormalizeProcName(" [x];1"), "x");
  EXPECT_THROW(NormalizeProcName("GetSysValue;2"), EUnknownProcedure);
  EXPECT_THROW(NormalizeProcName("[]"), EUnknownProcedure);
  EXPECT_THROW(NormalizeProcName(""), EUnknownProcedure);
}

}  // namespace
