// SQL text with a NUL inside: the session reads the client's text to its full length
// and refuses it with a clear error, whatever stands before the NUL; nothing runs.
#include "StoreTestSupport.h"

using namespace storetest;

namespace {

const char* kCount = "select count(*) from CommonPosPtypeCheckNdx";

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const ESqlError& e) {
    return e.Message();
  }
  return "no error";
}

}  // namespace

// The server used to read the text up to the NUL only: "... UserCode = '" ended there
// and came back as SQLite's "unrecognized token", and a text whose part before the NUL
// was a whole statement ran that part.
TEST_F(DemoStoreTest, RegressionNulInsideTheSqlTextIsRefusedAndNothingRuns) {
  auto s = StoreDb();
  const WideString lookUp = u"Select BranchId,KtypeId From PosStockView where UserCode = '" + WideString(1, u'\0') +
                            u"~'";
  EXPECT_EQ(ErrorOf([&] { s->OpenSQL(lookUp); }),
            "The SQL text holds a NUL character (at character 60); a statement cannot hold one.");
  const WideString insert =
      u"insert into CommonPosPtypeCheckNdx(KTypeID,OperatorID,PDDate,PosID,IsUpSend,UpLoadPosVchCode,UniqueID,"
      u"PDNumber) values('00001','00002','2024-03-05','0001',0,0,'U','1')" +
      WideString(1, u'\0') + u" and the rest";
  EXPECT_NE(ErrorOf([&] { s->ExecuteSQL(insert); }).find("NUL character"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { s->OpenSQL(insert + u" Select @@Identity As CheckCode"); }).find("NUL character"),
            std::string::npos);
  EXPECT_EQ(Query("PosStore", kCount), "0\n");
  // The session goes on as before.
  EXPECT_EQ(s->ExecuteSQL(insert.substr(0, insert.find(u'\0'))), 1);
  EXPECT_EQ(Query("PosStore", kCount), "1\n");
}
