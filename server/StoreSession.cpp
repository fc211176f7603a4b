// One client connection's databases and transaction; see StoreSession.h.
//
// Invariants:
//   - FDb is the open connection of database FDbName, or null before the first ChangeDb.
//   - FInTransaction is true from a successful begin until commit or rollback. While it
//     is true, SQLite is in a transaction (from the first call that reaches the data:
//     until then BeginPending) unless SQLite abandoned it after an error;
//     then FTransactionLost is set and every call but rollback/commit is refused, so no
//     statement the client believes inside its transaction runs outside it.
//   - Statements of clients cannot attach files, run pragmas or steer transactions
//     themselves (an authorizer refuses them); only TransactionController does.
//   - The session writes only in its turn of the file's writer queue: TransactionTurn
//     is held from the transaction's first statement (when SQLite's transaction begins)
//     to commit or rollback; a write outside a transaction takes a turn for its own
//     length. So writers get SQLite's write lock in arrival order.
//   - ReadOnly is true while the connection cannot write (SQLite opened the file
//     read-only, or a write failed for that reason): every write is then refused with
//     EReadOnlyDatabase before it starts, and each call outside an SQLite transaction
//     opens the file again once it is writable, so writes go on without a new session.
//   - Cache holds prepared statements of FDb only (it is emptied before FDb changes),
//     each reset, keyed by the client's text of a batch of exactly that one statement,
//     and none of them returns rows.
#include "server/StoreSession.h"

#include <sqlite3.h>
#include <filesystem>
#include <list>
#include <optional>
#include "server/DatabaseFiles.h"
#include "server/PacketReader.h"
#include "server/ParamPacking.h"
#include "server/Procedures.h"
#include "server/SqlTranslator.h"
#include "server/SqliteDb.h"
#include "server/StoreText.h"
#include "server/WriterQueue.h"

using store::SqliteDb;
using store::Statement;
using store::WriteTurn;
using store::WriteUnit;

namespace {

constexpr size_t kMaxDbNameLength = 64;

bool IsValidDbName(const std::string& name) {
  if (name.empty() || name.size() > kMaxDbNameLength) return false;
  for (const char c : name) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

// DB_Name(): the database name the connection was opened under (its user data).
void DbNameFunction(sqlite3_context* ctx, int, sqlite3_value**) {
  const char* name = static_cast<const char*>(sqlite3_user_data(ctx));
  sqlite3_result_text(ctx, name, -1, SQLITE_TRANSIENT);
}

// Refuses, for the clients' statements, what only the server itself may do.
int ClientAuthorizer(void* clientStatement, int action, const char*, const char*, const char*,
                     const char*) {
  if (!*static_cast<bool*>(clientStatement)) return SQLITE_OK;
  switch (action) {
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
    case SQLITE_PRAGMA:
    case SQLITE_TRANSACTION:
    case SQLITE_SAVEPOINT:
      return SQLITE_DENY;
    default:
      return SQLITE_OK;
  }
}

// The prepared statements of the texts a session sent last, so that a text sent again
// (the same insert or update, line after line) is neither translated nor prepared
// again. Least recently used goes first.
class StatementCache {
 public:
  static constexpr size_t kCapacity = 16;
  // The statement of text, moved to the front; null when there is none.
  Statement* Find(const std::string& text) {
    for (auto it = FEntries.begin(); it != FEntries.end(); ++it) {
      if (it->first == text) {
        FEntries.splice(FEntries.begin(), FEntries, it);
        return FEntries.front().second.get();
      }
    }
    return nullptr;
  }
  void Put(std::string text, std::unique_ptr<Statement> st) {
    FEntries.emplace_front(std::move(text), std::move(st));
    if (FEntries.size() > kCapacity) FEntries.pop_back();
  }
  void Clear() { FEntries.clear(); }

 private:
  std::list<std::pair<std::string, std::unique_ptr<Statement>>> FEntries;
};

// Resets a statement however its use ends, so that a cached one holds no read
// transaction and no half-read result.
class ResetOnExit {
 public:
  explicit ResetOnExit(Statement& st) : FSt(st) {}
  ~ResetOnExit() { FSt.Reset(); }
  ResetOnExit(const ResetOnExit&) = delete;
  ResetOnExit& operator=(const ResetOnExit&) = delete;

 private:
  Statement& FSt;
};

}  // namespace

struct StoreSession::Impl {
  std::string DataDir;
  AnsiString Computer, Address;
  AnsiString DbName;
  std::string Path;  // Db's file
  std::unique_ptr<SqliteDb> Db;
  bool ReadOnly = false;
  StatementCache Cache;  // after Db: destroyed first
  std::shared_ptr<store::WriterQueue> Writers;  // of Db's file
  std::optional<WriteTurn> TransactionTurn;
  bool InTransaction = false;
  // Begun by the client, not yet in SQLite: the first call that reaches the data
  // begins it (BeginNow).
  bool BeginPending = false;
  bool TransactionLost = false;
  // Set while a client's statement is being prepared or run (read by the authorizer,
  // whose user data points here; Impl never moves).
  bool PreparingClientStatement = false;

  SqliteDb& RequireDb() {
    if (!Db) throw EStoreError("No database selected: call ChangeDb first.");
    if (ReadOnly && Db->AutoCommit()) ReopenWhenWritable();
    if (TransactionLost) {
      throw ETransactionError(
          "The transaction was rolled back after an error; roll it back to go on.");
    }
    if (BeginPending) BeginNow();
    return *Db;
  }

  // Begins the transaction the client asked for: its turn in the writer queue, then
  // SQLite's write lock at once. Left pending when the turn does not come.
  void BeginNow() {
    RefuseWriteWhenReadOnly();
    std::optional<WriteTurn> turn;
    try {
      turn.emplace(*Writers, store::kBusyTimeoutMs);
      Db->Exec("BEGIN IMMEDIATE");
    } catch (const ESqlError& e) {
      if (IsReadOnlyFailure(e)) RefuseWrite();
      throw ESqlError(store::Utf8ToClient(e.Message()));
    }
    TransactionTurn = std::move(turn);
    BeginPending = false;
  }

  // A connection of the database at path, with DB_Name() and the clients' authorizer.
  // Side files left read-only by a read-only spell get the file's modes back first.
  std::unique_ptr<SqliteDb> OpenConnection(const std::string& path, const AnsiString& name) {
    store::MatchSideFileModes(path);
    std::unique_ptr<SqliteDb> opened;
    try {
      opened = std::make_unique<SqliteDb>(path, SqliteDb::OpenMode::ExistingFile);
    } catch (const ESqlError& e) {
      throw EUnknownDatabase("Cannot open database '" + name + "': " + store::Utf8ToClient(e.Message()));
    }
    char* userName = sqlite3_mprintf("%s", name.c_str());
    if (!userName ||
        sqlite3_create_function_v2(opened->Handle(), "DB_Name", 0, SQLITE_UTF8 | SQLITE_DETERMINISTIC, userName,
                                   &DbNameFunction, nullptr, nullptr, &sqlite3_free) != SQLITE_OK) {
      throw EStoreError("Cannot open database '" + name + "': out of memory.");
    }
    sqlite3_set_authorizer(opened->Handle(), &ClientAuthorizer, &PreparingClientStatement);
    return opened;
  }
  static bool OpenedReadOnly(const SqliteDb& db) { return sqlite3_db_readonly(db.Handle(), "main") == 1; }

  // A read-only connection is replaced by a new one once the file can be written again
  // (called outside an SQLite transaction only). Nothing changes while it cannot.
  void ReopenWhenWritable() {
    if (!store::DatabaseFileWritable(Path)) return;
    std::unique_ptr<SqliteDb> again;
    try {
      again = OpenConnection(Path, DbName);
    } catch (const EStoreError&) {
      return;
    }
    if (OpenedReadOnly(*again)) return;
    Cache.Clear();
    Db = std::move(again);
    ReadOnly = false;
  }

  // SQLite's words for a write to a database it cannot write.
  static bool IsReadOnlyFailure(const ESqlError& e) {
    return e.Message().find(sqlite3_errstr(SQLITE_READONLY)) != std::string::npos;
  }
  [[noreturn]] void RefuseWrite() {
    ReadOnly = true;
    throw EReadOnlyDatabase("The database '" + DbName +
                            "' cannot be written: its file (or its -wal or -shm file) is read-only. Nothing was "
                            "changed; writes go on once the files are writable again.");
  }
  void RefuseWriteWhenReadOnly() {
    if (ReadOnly) RefuseWrite();
  }

  // After any statement: notices SQLite abandoning the session's transaction.
  void CheckTransaction() {
    if (InTransaction && !BeginPending && Db && Db->AutoCommit()) TransactionLost = true;
  }

  // Runs one piece of the client's work and returns its result. However it ends, the
  // session notices a transaction that SQLite abandoned, and an SQLite error reaches the
  // client in the client's encoding.
  template <class Work>
  auto ClientWork(Work&& work) -> decltype(work()) {
    try {
      auto result = work();
      CheckTransaction();
      return result;
    } catch (const ESqlError& e) {
      CheckTransaction();
      if (IsReadOnlyFailure(e)) RefuseWrite();
      throw ESqlError(store::Utf8ToClient(e.Message()));
    } catch (...) {
      CheckTransaction();
      throw;
    }
  }

  // Marks the client's statements for the authorizer while they are prepared, and
  // while they run: SQLite prepares a kept statement again by itself after a change of
  // the schema, and that must be checked as the first preparation was.
  class ClientStatementScope {
   public:
    explicit ClientStatementScope(bool& flag) : FFlag(flag) { FFlag = true; }
    ~ClientStatementScope() { FFlag = false; }
    ClientStatementScope(const ClientStatementScope&) = delete;
    ClientStatementScope& operator=(const ClientStatementScope&) = delete;

   private:
    bool& FFlag;
  };

  Statement PrepareClient(const std::string& sql) {
    ClientStatementScope client(PreparingClientStatement);
    return Statement(*Db, sql);
  }

  // A turn in the writer queue for a write outside the session's transaction; nothing
  // inside one (the transaction holds the turn).
  void TakeTurnOutsideTransaction(std::optional<WriteTurn>& turn) {
    if (!turn && Db->AutoCommit()) turn.emplace(*Writers, store::kBusyTimeoutMs);
  }

  // Runs the batch; returns the first record set when wantRecordSet (EStoreError when
  // there is none). The batch is one unit: when it fails, nothing of it stays.
  std::optional<TDataPacket> RunBatch(const WideString& sql, bool wantRecordSet, int& changes);
  store::ProcResult RunProc(const AnsiString& name, const Variant& packedIn,
                            std::vector<store::PackedParam>& outputs);
};

std::optional<TDataPacket> StoreSession::Impl::RunBatch(const WideString& sql,
                                                        bool wantRecordSet, int& changes) {
  SqliteDb& db = RequireDb();
  const std::string source = WideToUtf8(sql);
  // The whole text is the client's statement: SQLite would stop reading at a NUL and
  // run (or fail on) the part before it, so a NUL anywhere refuses the text.
  if (const size_t nul = sql.find(u'\0'); nul != WideString::npos) {
    throw ESqlError("The SQL text holds a NUL character (at character " + std::to_string(nul) +
                    "); a statement cannot hold one.");
  }
  Statement* cached = Cache.Find(source);
  std::vector<std::string> statements;
  if (!cached) {
    try {
      statements = store::TranslateBatch(source);
    } catch (const ESqlError& e) {
      throw ESqlError(store::Utf8ToClient(e.Message()));
    }
  }
  const int before = db.TotalChanges();
  std::optional<TDataPacket> result = ClientWork([&] {
    std::optional<TDataPacket> packet;
    std::optional<WriteTurn> turn;  // before unit: released after it ends
    std::optional<WriteUnit> unit;
    if (statements.size() > 1) {
      RefuseWriteWhenReadOnly();
      TakeTurnOutsideTransaction(turn);
      unit.emplace(db);
    }
    const auto run = [&](Statement& st) {
      ResetOnExit reset(st);
      const bool readOnly = sqlite3_stmt_readonly(st.Handle()) != 0;
      if (!readOnly) {
        RefuseWriteWhenReadOnly();
        TakeTurnOutsideTransaction(turn);
      }
      // A lone statement is atomic by itself, except that a record set was asked for
      // and may turn out missing: then what it wrote must be undone.
      if (!unit && wantRecordSet && !readOnly) unit.emplace(db);
      ClientStatementScope client(PreparingClientStatement);
      if (!packet && wantRecordSet && st.ColumnCount() > 0) {
        packet = store::ReadPacket(st);
      } else {
        while (st.Step()) {
        }
      }
    };
    if (cached) {
      run(*cached);
    } else {
      for (const std::string& text : statements) {
        auto st = std::make_unique<Statement>(PrepareClient(text));
        run(*st);
        // Only statements without a record set are kept: SQLite prepares a kept one
        // again by itself after a change of the schema, but only when it runs, and the
        // columns of a record set ("select *") are read before that.
        if (statements.size() == 1 && st->ColumnCount() == 0) Cache.Put(source, std::move(st));
      }
    }
    if (wantRecordSet && !packet) {
      throw EStoreError("The SQL text returns no record set.");
    }
    if (unit) unit->Commit();
    return packet;
  });
  changes = db.TotalChanges() - before;
  return result;
}

store::ProcResult StoreSession::Impl::RunProc(const AnsiString& name, const Variant& packedIn,
                                              std::vector<store::PackedParam>& outputs) {
  SqliteDb& db = RequireDb();
  const std::string proc = store::NormalizeProcName(name);
  return ClientWork([&] {
    const store::ProcDef& def = store::FindProcedure(db, proc);
    store::ProcArgs args(proc, def.Params, store::UnpackParams(packedIn));
    std::optional<WriteTurn> turn;
    std::optional<WriteUnit> unit;
    if (def.Writes) {
      RefuseWriteWhenReadOnly();
      TakeTurnOutsideTransaction(turn);
      unit.emplace(db);
    }
    store::ProcResult r = def.Run(db, args);
    if (unit) unit->Commit();
    outputs = args.Outputs();
    return r;
  });
}

StoreSession::StoreSession(const std::string& dataDir) : FImpl(std::make_unique<Impl>()) {
  FImpl->DataDir = dataDir;
}

StoreSession::~StoreSession() {
  FImpl->Cache.Clear();
  if (FImpl->InTransaction && FImpl->Db && !FImpl->Db->AutoCommit()) {
    sqlite3_exec(FImpl->Db->Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
  FImpl->TransactionTurn.reset();  // after the rollback: the next writer finds the file free
}


void StoreSession::ConnectDb(const AnsiString& computer, const AnsiString& ip) {
  FImpl->Computer = computer;
  FImpl->Address = ip;
}

const AnsiString& StoreSession::ClientComputer() const { return FImpl->Computer; }
const AnsiString& StoreSession::ClientAddress() const { return FImpl->Address; }

void StoreSession::ChangeDb(const AnsiString& db) {
  const AnsiString name = Trim(db);
  if (FImpl->InTransaction) {
    throw ETransactionError("Cannot change the database inside a transaction.");
  }
  if (!IsValidDbName(name)) throw EUnknownDatabase("Unknown database '" + name + "'.");
  namespace fs = std::filesystem;
  std::string path;
  std::error_code ec;
  for (fs::directory_iterator it(FImpl->DataDir, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& p = it->path();
    if (SameText(p.filename().string(), name + ".db") && it->is_regular_file(ec)) {
      path = p.string();
      break;
    }
  }
  if (path.empty()) throw EUnknownDatabase("Unknown database '" + name + "'.");

  std::unique_ptr<SqliteDb> opened = FImpl->OpenConnection(path, name);
  const bool readOnly = Impl::OpenedReadOnly(*opened);
  std::shared_ptr<store::WriterQueue> writers = store::WriterQueue::ForFile(path);
  FImpl->Cache.Clear();
  FImpl->Db = std::move(opened);
  FImpl->Path = path;
  FImpl->ReadOnly = readOnly;
  FImpl->Writers = std::move(writers);
  FImpl->DbName = name;
  FImpl->TransactionLost = false;
}

AnsiString StoreSession::CurrentDb() const { return FImpl->DbName; }

int StoreSession::ExecuteSQL(const WideString& sql) {
  int changes = 0;
  FImpl->RunBatch(sql, false, changes);
  return changes;
}

TDataPacket StoreSession::OpenSQL(const WideString& sql) {
  int changes = 0;
  return *FImpl->RunBatch(sql, true, changes);
}

int StoreSession::ExecuteProc(const AnsiString& name, const Variant& packedIn,
                              Variant& packedOut) {
  std::vector<store::PackedParam> outputs;
  const store::ProcResult r = FImpl->RunProc(name, packedIn, outputs);
  packedOut = store::PackParams(outputs);
  return r.ReturnValue;
}

TDataPacket StoreSession::OpenProc(const AnsiString& name, const Variant& packedIn) {
  std::vector<store::PackedParam> outputs;
  store::ProcResult r = FImpl->RunProc(name, packedIn, outputs);
  TDataPacket packet = r.RecordSet ? std::move(*r.RecordSet) : TDataPacket();
  store::PackedParam ret;
  ret.Name = "@RETURN_VALUE";
  ret.Value = Variant(r.ReturnValue);
  ret.DataType = ftInteger;
  ret.ParamType = store::pkResult;
  outputs.insert(outputs.begin(), ret);
  packet.Params = store::PackParams(outputs);
  return packet;
}

void StoreSession::TransactionController(int action) {
  Impl& s = *FImpl;
  switch (action) {
    case 0: {
      if (s.InTransaction) throw ETransactionError("A transaction is already open.");
      s.RequireDb();
      // The turn is taken by the transaction's first statement, not here: the other
      // writers then wait for one round trip less of each transaction before them.
      s.InTransaction = true;
      s.BeginPending = true;
      s.TransactionLost = false;
      return;
    }
    case 1: {
      if (!s.InTransaction) throw ETransactionError("Commit without an open transaction.");
      if (s.BeginPending) {  // nothing ran: nothing to keep
        s.InTransaction = false;
        s.BeginPending = false;
        return;
      }
      if (s.TransactionLost) {
        s.InTransaction = false;
        s.TransactionLost = false;
        s.TransactionTurn.reset();
        throw ETransactionError(
            "The transaction was rolled back after an error; nothing of it was kept.");
      }
      try {
        s.Db->Exec("COMMIT");
      } catch (const ESqlError& e) {
        // A commit that fails leaves nothing half-done: undo it all.
        if (!s.Db->AutoCommit()) sqlite3_exec(s.Db->Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        s.InTransaction = false;
        s.TransactionTurn.reset();
        throw ESqlError("Commit failed, the transaction was rolled back: " +
                        store::Utf8ToClient(e.Message()));
      }
      s.InTransaction = false;
      s.TransactionTurn.reset();
      return;
    }
    case 2: {
      if (!s.InTransaction) return;
      s.BeginPending = false;
      if (s.Db && !s.Db->AutoCommit()) {
        sqlite3_exec(s.Db->Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
      }
      s.InTransaction = false;
      s.TransactionLost = false;
      s.TransactionTurn.reset();
      return;
    }
    default:
      throw ETransactionError("Unknown transaction action " + std::to_string(action) +
                              " (0 begin, 1 commit, 2 rollback).");
  }
}

bool StoreSession::InTransaction() const { return FImpl->InTransaction; }
