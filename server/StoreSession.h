// One client connection's view of the store databases: its current database, its
// transaction, and the remote methods that reach the data (everything of the
// application server's interface except the transport).
//
// Databases are SQLite files in the data folder, one per database name: database "X"
// is the file <dataDir>/X.db (names compared without regard to ASCII case; a name holds
// 1..64 of A-Z a-z 0-9 _ - only, so no name reaches outside the folder). A session
// opens its own SQLite connection (WAL journal, busy time-out), so any number of
// sessions may work on one file from different threads; their writes take turns in the
// file's writer queue (server/WriterQueue.h), in arrival order. One session is used by
// one thread at a time.
//
// Text: SQL arrives as UTF-16; string parameter values as GBK AnsiStrings (UTF-16
// values are accepted too); the databases hold UTF-8; record sets and output
// parameters go back with GBK AnsiString values.
//
// Errors: every method raises one of the classes of server/StoreErrors.h with a clear
// message (the text goes back to the client as the error reply). A failed call leaves
// the session as it was: same database, same transaction state, and no partial
// effect of the failed call (a batch of statements runs as one unit).
#pragma once
#include <memory>
#include <string>
#include "db/DataPacket.h"
#include "rtl/AnsiString.h"
#include "rtl/Variant.h"
#include "server/StoreErrors.h"

class StoreSession {
 public:
  // dataDir: the folder of the database files. Nothing is opened yet.
  explicit StoreSession(const std::string& dataDir);
  // Rolls back an open transaction and closes the database.
  ~StoreSession();
  StoreSession(const StoreSession&) = delete;
  StoreSession& operator=(const StoreSession&) = delete;

  // Registers the client's computer name and address (kept for the log; never
  // interpreted). The second argument is whatever the client sends there (its IPv4
  // address, or the target server text when it switches servers).
  void ConnectDb(const AnsiString& computer, const AnsiString& ip);
  const AnsiString& ClientComputer() const;
  const AnsiString& ClientAddress() const;

  // Makes db the current database. EUnknownDatabase when the folder holds no such
  // file (or the name is not a valid database name); ETransactionError while a
  // transaction is open. On failure the previous database stays current. A database
  // whose file cannot be written is served read-only: reads go on, every write raises
  // EReadOnlyDatabase, and once the file is writable again the next call outside a
  // transaction opens it anew (side files left read-only get the file's modes back).
  void ChangeDb(const AnsiString& db);
  // The current database's name as the client gave it to ChangeDb ("" before): the
  // value of DB_Name(), which the screens compare with the name they switched to.
  AnsiString CurrentDb() const;

  // Runs T-SQL text (one statement or a batch) on the current database; a text holding
  // a NUL anywhere is refused (ESqlError) and nothing runs. The result is
  // the number of rows the batch inserted, updated or deleted. Rows a statement
  // returns are dropped.
  int ExecuteSQL(const WideString& sql);
  // Runs T-SQL text and returns the first record set it produces (a batch such as
  // "insert ... Select @@Identity As CheckCode" runs the insert, then returns the
  // identity). Columns keep the statement's names and order, duplicates included.
  // EStoreError when the text produces no record set (and then nothing it did stays).
  TDataPacket OpenSQL(const WideString& sql);

  // Runs a stored procedure. name may carry brackets and a group number
  // ("[QP_nInsertVipCardSign]", "GetSysValue;1"); it is matched without regard to
  // ASCII case, as are parameter names. packedIn is the client's packed parameter list
  // (Null/Empty for none; every parameter may come with kind "unknown": the
  // procedure's own definition says which are output). packedOut receives the output
  // parameters, packed the same way (Null when there are none). The result is the
  // procedure's return value.
  int ExecuteProc(const AnsiString& name, const Variant& packedIn, Variant& packedOut);
  // Runs a stored procedure and returns its record set; Params holds the return value
  // first (named "@RETURN_VALUE", kind result), then the output parameters. A procedure
  // without a record set gives a packet without fields and rows.
  TDataPacket OpenProc(const AnsiString& name, const Variant& packedIn);

  // 0 begins, 1 commits, 2 rolls back the session's transaction. SQLite's transaction
  // (with the session's turn among the file's writers) begins with the first call
  // after 0 that reaches the data; when the turn does not come in time, that call
  // raises ESqlError "database is locked" and the transaction stays open, empty. Begin inside an open
  // transaction and commit without one raise ETransactionError; rollback without one
  // does nothing. When SQLite itself had to abandon the transaction after an error,
  // commit raises ETransactionError (nothing was kept) and the transaction is over.
  // Any other action raises ETransactionError.
  void TransactionController(int action);
  bool InTransaction() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> FImpl;
};
