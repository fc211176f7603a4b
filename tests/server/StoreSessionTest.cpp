// The session: choosing databases, running SQL, transactions (rollback on error and
// at session end), several sessions on one file from several threads, and what the
// clients' statements may not do.
#include <atomic>
#include <fstream>
#include <thread>
#include "StoreTestSupport.h"
#include "server/SqliteDb.h"

using namespace storetest;

namespace {

const char* kCount = "select count(*) from CommonPosPtypeCheckNdx";

std::string Header(const char* ktype = "00001") {
  return std::string("insert into CommonPosPtypeCheckNdx(KTypeID,OperatorID,PDDate,PosID,IsUpSend,"
                     "UpLoadPosVchCode,UniqueID,PDNumber) values('") + ktype +
         "','00002','2024-03-05','0001', 0,0, 'U','001 2024-03-05 00001') Select @@Identity As CheckCode";
}

// --- databases --------------------------------------------------------------------

TEST_F(DemoStoreTest, ChangeDbFindsTheFileInAnyCaseAndKeepsTheGivenName) {
  StoreSession s(Dir());
  EXPECT_EQ(s.CurrentDb(), "");
  s.ChangeDb("posstore");
  EXPECT_EQ(s.CurrentDb(), "posstore");
  EXPECT_EQ(First(s.OpenSQL(u"select DB_Name() As DbName"), "DbName"), "posstore");
  s.ChangeDb(" PosMain ");
  EXPECT_EQ(First(s.OpenSQL(u"select DB_Name() As DbName"), "DbName"), "PosMain");
}

TEST_F(DemoStoreTest, UnknownOrUnsafeDatabaseNamesAreRefusedAndTheOldOneStays) {
  StoreSession s(Dir());
  s.ChangeDb("PosStore");
  std::ofstream(Dir() + "/Broken.db") << "this is not a database file, only text that is long enough";
  for (const char* name : {"NoSuchDb", "", "../PosStore", "PosStore.db", "Pos Store", "a/b",
                           "..", "Broken"}) {
    EXPECT_THROW(s.ChangeDb(name), EUnknownDatabase) << name;
  }
  try {
    s.ChangeDb("NoSuchDb");
  } catch (const EUnknownDatabase& e) {
    EXPECT_EQ(e.Message(), "Unknown database 'NoSuchDb'.");
  }
  EXPECT_EQ(s.CurrentDb(), "PosStore");
  EXPECT_EQ(First(s.OpenSQL(u"select DB_Name() As DbName"), "DbName"), "PosStore");
}

TEST_F(DemoStoreTest, CallsBeforeChangeDbAreErrors) {
  StoreSession s(Dir());
  Variant out;
  EXPECT_THROW(s.OpenSQL(u"select 1"), EStoreError);
  EXPECT_THROW(s.ExecuteSQL(u"select 1"), EStoreError);
  EXPECT_THROW(s.ExecuteProc("GetSysValue;1", Variant::Null(), out), EStoreError);
  EXPECT_THROW(s.TransactionController(0), EStoreError);
  s.ConnectDb("POS-01", "192.168.1.20");
  EXPECT_EQ(s.ClientComputer(), "POS-01");
  EXPECT_EQ(s.ClientAddress(), "192.168.1.20");
}

// --- SQL ----------------------------------------------------------------------------

TEST_F(DemoStoreTest, TextComparisonIgnoresCase) {
  auto s = StoreDb();
  EXPECT_EQ(First(s->OpenSQL(u"select count(*) as n from PosPtypeView where UserCode = 'm00002'"), "n"), "1");
  EXPECT_EQ(First(s->OpenSQL(u"select SysValue from SYSDATA where sysname = 'defaultbarcode'"), "SysValue"), "1");
  EXPECT_EQ(First(s->OpenSQL(u"select count(*) as n from posbarcodeview where BarTypeId = '1' and "
                             u"FullBarCode = '6920000000081'"), "n"), "1");
}

TEST_F(DemoStoreTest, ExecuteSqlCountsTheRowsItChanged) {
  auto s = StoreDb();
  EXPECT_EQ(s->ExecuteSQL(u"update ptype set Stop = Stop where ParId = '00004'"), 28);
  EXPECT_EQ(s->ExecuteSQL(u"select * from ptype"), 0);
  EXPECT_EQ(s->ExecuteSQL(u"   "), 0);
}

TEST_F(DemoStoreTest, OpenSqlWithoutRecordSetIsAnErrorAndLeavesNothing) {
  auto s = StoreDb();
  try {
    s->OpenSQL(u"update CommonPosPtypeCheckList set Qty = 1");
    FAIL();
  } catch (const EStoreError& e) {
    EXPECT_EQ(e.Message(), "The SQL text returns no record set.");
  }
  const std::u16string insert =
      u"insert into nVipCardSet (VipCardTypeID, TypeName) values ('009', 'x')";
  EXPECT_THROW(s->OpenSQL(insert), EStoreError);
  EXPECT_EQ(Query("PosStore", "select count(*) from nVipCardSet"), "3\n");
}

TEST_F(DemoStoreTest, SqlErrorsCarrySqlitesMessage) {
  auto s = StoreDb();
  try {
    s->OpenSQL(u"select nosuchcolumn from ptype");
    FAIL();
  } catch (const ESqlError& e) {
    EXPECT_EQ(e.Message(), "no such column: nosuchcolumn");
  }
  try {
    s->OpenSQL(Wide(Utf8(u8"select * from 商品表")));
    FAIL();
  } catch (const ESqlError& e) {
    EXPECT_EQ(FromGbk(e.Message()), Utf8(u8"no such table: 商品表"));
  }
  EXPECT_THROW(s->OpenSQL(u"select 'open"), ESqlError);
}

// Statements made of random pieces either run or fail with a store error, and the
// session stays usable.
TEST_F(DemoStoreTest, RandomStatementsFailCleanly) {
  const char* pieces[] = {"select ", "* ", "from ", "ptype ", "where ", "typeid ", "= ", "'00001' ", "(",
                          ")", "isnull(", "0and ", "@@Identity ", "[name] ", "insert into ", "values(",
                          "1,", "'x'", "update ", "set ", "Stop = 1 ", "delete ", ";", "union ", "DB_Name()",
                          "FN_GetPowerRangeEList ('00001','') ", "order by ", "--", "\xE6\x97", "'"};
  uint64_t state = 99;
  auto s = StoreDb();
  const std::string before = Query("PosStore", "select count(*), sum(Stop) from ptype");
  s->TransactionController(0);
  for (int i = 0; i < 3000; ++i) {
    std::string sql;
    const int n = 1 + static_cast<int>(state % 9);
    for (int k = 0; k < n; ++k) {
      state = state * 6364136223846793005ull + 1442695040888963407ull;
      sql += pieces[(state >> 33) % std::size(pieces)];
    }
    try {
      if (i % 2) s->OpenSQL(Wide(sql)); else s->ExecuteSQL(Wide(sql));
    } catch (const EStoreError&) {
    }
  }
  s->TransactionController(2);
  EXPECT_EQ(Query("PosStore", "select count(*), sum(Stop) from ptype"), before);
}

// A batch is one unit: when its second statement fails, its first one is undone too.
TEST_F(DemoStoreTest, FailedBatchLeavesNothingBehind) {
  auto s = StoreDb();
  EXPECT_THROW(s->OpenSQL(Wide(Header() + " select nosuchcolumn from ptype")), ESqlError);
  EXPECT_EQ(Query("PosStore", kCount), "0\n");
  s->TransactionController(0);
  s->OpenSQL(Wide(Header()));
  EXPECT_THROW(s->OpenSQL(Wide(Header() + " select nosuchcolumn from ptype")), ESqlError);
  s->TransactionController(1);
  EXPECT_EQ(Query("PosStore", kCount), "1\n");
}

TEST_F(DemoStoreTest, ClientStatementsCannotAttachSteerTransactionsOrRunPragmas) {
  auto s = StoreDb();
  for (const char16_t* sql : {u"attach database 'x.db' as x", u"begin", u"commit", u"rollback",
                              u"savepoint a", u"pragma journal_mode=delete", u"detach database main"}) {
    EXPECT_THROW(s->ExecuteSQL(sql), ESqlError) << WideToUtf8(sql);
  }
  EXPECT_FALSE(std::filesystem::exists(Dir() + "/x.db"));
  EXPECT_FALSE(s->InTransaction());
}

// --- transactions --------------------------------------------------------------------

TEST_F(DemoStoreTest, CommitKeepsAndRollbackDropsTheTransactionsWork) {
  auto s = StoreDb();
  s->TransactionController(0);
  EXPECT_TRUE(s->InTransaction());
  s->OpenSQL(Wide(Header()));
  s->TransactionController(1);
  EXPECT_FALSE(s->InTransaction());
  s->TransactionController(0);
  s->OpenSQL(Wide(Header()));
  s->OpenSQL(Wide(Header()));
  s->TransactionController(2);
  EXPECT_EQ(Query("PosStore", kCount), "1\n");
}

// The bill save: when a line fails, the screen rolls back, and the header is gone too.
TEST_F(DemoStoreTest, RollbackOnErrorDropsTheWholeBill) {
  auto s = StoreDb();
  s->TransactionController(0);
  const std::string code = First(s->OpenSQL(Wide(Header())), "CheckCode");
  s->ExecuteSQL(Wide("insert into CommonPosPtypeCheckList(CheckCode,PtypeID,ColorID,SizeID,Qty,IsUpSend) "
                     "values(" + code + ",'0000100001',3,2, 1, 0)"));
  EXPECT_THROW(s->ExecuteSQL(Wide("insert into CommonPosPtypeCheckList(CheckCode,PtypeID,ColorID,SizeID,Qty,"
                                  "IsUpSend) values(" + code + ",'0000100001',3,2, 1.5.5, 0)")),
               ESqlError);
  EXPECT_TRUE(s->InTransaction());
  s->TransactionController(2);
  EXPECT_EQ(Query("PosStore", kCount), "0\n");
  EXPECT_EQ(Query("PosStore", "select count(*) from CommonPosPtypeCheckList"), "0\n");
}

TEST_F(DemoStoreTest, SessionEndRollsBackAnOpenTransaction) {
  {
    auto s = StoreDb();
    s->TransactionController(0);
    s->OpenSQL(Wide(Header()));
  }
  EXPECT_EQ(Query("PosStore", kCount), "0\n");
  // And the file is free for the next writer at once.
  auto next = StoreDb();
  next->OpenSQL(Wide(Header()));
  EXPECT_EQ(Query("PosStore", kCount), "1\n");
}

TEST_F(DemoStoreTest, TransactionActionsOutOfOrder) {
  auto s = StoreDb();
  s->TransactionController(2);  // nothing open: nothing to do
  EXPECT_THROW(s->TransactionController(1), ETransactionError);
  s->TransactionController(0);
  EXPECT_THROW(s->TransactionController(0), ETransactionError);
  EXPECT_THROW(s->ChangeDb("PosMain"), ETransactionError);
  EXPECT_THROW(s->TransactionController(3), ETransactionError);
  EXPECT_TRUE(s->InTransaction());
  s->TransactionController(1);
  EXPECT_THROW(s->TransactionController(-1), ETransactionError);
}

// When SQLite itself abandons the transaction (here a trigger raising ROLLBACK), the
// commit must not report success for work that is gone, and nothing may run outside
// the transaction the client believes open.
TEST_F(DemoStoreTest, TransactionAbandonedBySqliteIsNotReportedAsCommitted) {
  {
    // Made on the file directly: clients never send triggers.
    store::SqliteDb db(Dir() + "/PosStore.db", store::SqliteDb::OpenMode::ExistingFile);
    db.Exec("create trigger no_zzz before insert on CommonPosPtypeCheckNdx when new.KTypeID = 'ZZZ' "
            "begin select raise(rollback, 'warehouse ZZZ is closed'); end");
  }
  auto s = StoreDb();
  s->TransactionController(0);
  s->OpenSQL(Wide(Header()));
  EXPECT_THROW(s->OpenSQL(Wide(Header("ZZZ"))), ESqlError);
  EXPECT_THROW(s->OpenSQL(Wide(Header())), ETransactionError);
  EXPECT_THROW(s->TransactionController(1), ETransactionError);
  EXPECT_FALSE(s->InTransaction());
  EXPECT_EQ(Query("PosStore", kCount), "0\n");
  s->OpenSQL(Wide(Header()));  // usable again
  EXPECT_EQ(Query("PosStore", kCount), "1\n");
}

// --- several sessions ----------------------------------------------------------------

TEST_F(DemoStoreTest, ReadersSeeCommittedWorkOnly) {
  auto writer = StoreDb();
  auto reader = StoreDb();
  writer->TransactionController(0);
  writer->OpenSQL(Wide(Header()));
  EXPECT_EQ(First(reader->OpenSQL(u"select count(*) as n from CommonPosPtypeCheckNdx"), "n"), "0");
  writer->TransactionController(1);
  EXPECT_EQ(First(reader->OpenSQL(u"select count(*) as n from CommonPosPtypeCheckNdx"), "n"), "1");
}

// Writers take turns; a transaction takes its turn with its first statement, so one
// that was begun and has not written yet holds nobody up, and one that has written
// holds the next writer until it ends.
TEST_F(DemoStoreTest, WritersTakeTurnsFromTheFirstStatementOfATransaction) {
  auto first = StoreDb(), second = StoreDb();
  first->TransactionController(0);
  const WideString insert = Wide(u8"insert into CommonPosPtypeCheckNdx (KTypeID, PDDate) values ('00001', '2024-03-05')");
  EXPECT_EQ(second->ExecuteSQL(insert), 1);  // at once: the begun transaction holds no turn yet
  EXPECT_EQ(first->ExecuteSQL(insert), 1);
  std::atomic<bool> done{false};
  std::thread later([&] {
    second->ExecuteSQL(insert);  // waits for the first transaction
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(done);
  first->TransactionController(1);
  later.join();
  EXPECT_TRUE(done);
  EXPECT_EQ(Query("PosStore", kCount), "3\n");
}

TEST_F(DemoStoreTest, ManySessionsOnOneFileFromManyThreads) {
  constexpr int kThreads = 8, kBills = 20;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      try {
        StoreSession s(Dir());
        s.ChangeDb("PosStore");
        for (int b = 0; b < kBills; ++b) {
          s.TransactionController(0);
          const std::string code = First(s.OpenSQL(Wide(Header())), "CheckCode");
          s.ExecuteSQL(Wide("insert into CommonPosPtypeCheckList(CheckCode,PtypeID,ColorID,SizeID,Qty,IsUpSend) "
                            "values(" + code + ",'0000100001'," + std::to_string(t) + ",0, 1, 0)"));
          Variant out;
          s.ExecuteProc("GetSysValue;1", Params({{"@szName", Variant(AnsiString("AllowColorSize"))},
                                                 {"@szReturn", Variant(AnsiString())}}), out);
          s.TransactionController(b % 2 ? 2 : 1);
        }
      } catch (const std::exception& e) {
        ++failures;
        ADD_FAILURE() << e.what();
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(failures.load(), 0);
  // Half of each thread's bills were committed, each with its own line.
  EXPECT_EQ(Query("PosStore", kCount), std::to_string(kThreads * kBills / 2) + "\n");
  EXPECT_EQ(Query("PosStore", "select count(*) from CommonPosPtypeCheckNdx n join CommonPosPtypeCheckList l "
                              "on l.CheckCode = n.CheckCode"),
            std::to_string(kThreads * kBills / 2) + "\n");
}

}  // namespace

// --- texts sent again (the session keeps their prepared statements) ------------------

namespace {

TEST_F(DemoStoreTest, TextSentAgainRunsAgainOnTheDataAsItIsNow) {
  StoreSession s(Dir());
  s.ChangeDb("PosStore");
  const WideString count = Wide(kCount);
  const int before = std::stoi(First(s.OpenSQL(count), "count(*)"));
  const WideString insert = Wide(u8"insert into CommonPosPtypeCheckNdx (KTypeID, PDDate) values ('00001', '2024-03-05')");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(s.ExecuteSQL(insert), 1);
  EXPECT_EQ(First(s.OpenSQL(count), "count(*)"), std::to_string(before + 3));
  // What another session wrote meanwhile counts too.
  StoreSession other(Dir());
  other.ChangeDb("PosStore");
  EXPECT_EQ(other.ExecuteSQL(insert), 1);
  EXPECT_EQ(First(s.OpenSQL(count), "count(*)"), std::to_string(before + 4));
}

TEST_F(DemoStoreTest, TextSentAgainAfterTheTableChangedSeesTheNewColumns) {
  StoreSession s(Dir());
  s.ChangeDb("PosStore");
  s.ExecuteSQL(u"create table Scratch (a integer)");
  s.ExecuteSQL(u"insert into Scratch values (1)");
  const WideString all = u"select * from Scratch";
  EXPECT_EQ(Render(s.OpenSQL(all), {"a", "b"}), "1|<missing>\n");
  const WideString insert = u"insert into Scratch (a) values (2)";
  s.ExecuteSQL(insert);
  s.ExecuteSQL(u"alter table Scratch add column b text default 'x'");
  s.ExecuteSQL(insert);
  EXPECT_EQ(Render(s.OpenSQL(all), {"a", "b"}), "1|x\n2|x\n2|x\n");
}

TEST_F(DemoStoreTest, RefusedTextIsRefusedEveryTime) {
  StoreSession s(Dir());
  s.ChangeDb("PosStore");
  for (int i = 0; i < 2; ++i) {
    EXPECT_THROW(s.ExecuteSQL(u"pragma foreign_keys = off"), ESqlError) << i;
    EXPECT_THROW(s.OpenSQL(u"select 1 as one where 1 = 0 union select 2 from NoSuchTable"), ESqlError) << i;
  }
}

// A statement that failed half-way through a cached text leaves nothing behind that
// holds the next run up.
TEST_F(DemoStoreTest, TextThatFailedRunsCleanlyNextTime) {
  StoreSession s(Dir());
  s.ChangeDb("PosStore");
  s.ExecuteSQL(u"create table Once (k integer primary key)");
  const WideString insert = u"insert into Once values (7)";
  EXPECT_EQ(s.ExecuteSQL(insert), 1);
  EXPECT_THROW(s.ExecuteSQL(insert), ESqlError);
  s.ExecuteSQL(u"delete from Once");
  EXPECT_EQ(s.ExecuteSQL(insert), 1);
}

}  // namespace
