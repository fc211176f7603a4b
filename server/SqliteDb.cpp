// RAII over the SQLite C interface; see SqliteDb.h.
#include "server/SqliteDb.h"

#include <sqlite3.h>
#include <filesystem>
#include "server/StoreErrors.h"

namespace store {

SqliteDb::SqliteDb(const std::string& path, OpenMode mode) {
  const bool exists = std::filesystem::exists(path);
  if (mode == OpenMode::ExistingFile && !exists) {
    throw ESqlError("Cannot open database file '" + path + "': it does not exist.");
  }
  if (mode == OpenMode::CreateNew && exists) {
    throw ESqlError("Cannot create database file '" + path + "': it exists already.");
  }
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX |
                    (mode == OpenMode::CreateNew ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(path.c_str(), &FDb, flags, nullptr) != SQLITE_OK) {
    const std::string msg = FDb ? sqlite3_errmsg(FDb) : "out of memory";
    sqlite3_close(FDb);
    FDb = nullptr;
    throw ESqlError("Cannot open database file '" + path + "': " + msg);
  }
  sqlite3_extended_result_codes(FDb, 1);
  sqlite3_busy_timeout(FDb, kBusyTimeoutMs);
  try {
    Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;");
  } catch (...) {
    sqlite3_close(FDb);
    FDb = nullptr;
    throw;
  }
}

SqliteDb::~SqliteDb() {
  // Every Statement is gone by now (they cannot outlive the connection they use).
  sqlite3_close(FDb);
}

void SqliteDb::Exec(std::string_view sql) {
  char* err = nullptr;
  const std::string text(sql);
  if (sqlite3_exec(FDb, text.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
    const std::string msg = err ? err : sqlite3_errmsg(FDb);
    sqlite3_free(err);
    throw ESqlError(msg);
  }
}

int64_t SqliteDb::LastInsertRowId() const { return sqlite3_last_insert_rowid(FDb); }
int SqliteDb::TotalChanges() const { return sqlite3_total_changes(FDb); }
bool SqliteDb::AutoCommit() const { return sqlite3_get_autocommit(FDb) != 0; }
std::string SqliteDb::ErrorMessage() const { return sqlite3_errmsg(FDb); }

Statement::Statement(const SqliteDb& db, std::string_view sql) : FDb(&db) {
  if (sql.size() > static_cast<size_t>(sqlite3_limit(db.Handle(), SQLITE_LIMIT_SQL_LENGTH, -1))) {
    throw ESqlError("The statement is too long.");
  }
  const int rc = sqlite3_prepare_v2(db.Handle(), sql.data(), static_cast<int>(sql.size()),
                                    &FStmt, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(FStmt);
    FStmt = nullptr;
    throw ESqlError(db.ErrorMessage());
  }
  if (!FStmt) throw ESqlError("The statement is empty.");
}

Statement::Statement(Statement&& other) noexcept : FDb(other.FDb), FStmt(other.FStmt) {
  other.FStmt = nullptr;
}

Statement::~Statement() { sqlite3_finalize(FStmt); }

namespace {
void CheckBind(const SqliteDb& db, int rc) {
  if (rc != SQLITE_OK) throw ESqlError(db.ErrorMessage());
}
}  // namespace

void Statement::Bind(int index, std::string_view utf8) {
  CheckBind(*FDb, sqlite3_bind_text64(FStmt, index, utf8.data(), utf8.size(), SQLITE_TRANSIENT,
                                      SQLITE_UTF8));
}
void Statement::Bind(int index, int64_t v) { CheckBind(*FDb, sqlite3_bind_int64(FStmt, index, v)); }
void Statement::Bind(int index, double v) { CheckBind(*FDb, sqlite3_bind_double(FStmt, index, v)); }
void Statement::BindNull(int index) { CheckBind(*FDb, sqlite3_bind_null(FStmt, index)); }

bool Statement::Step() {
  const int rc = sqlite3_step(FStmt);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  // The statement's own message (sqlite3_errmsg of the connection holds it after a
  // failed step with the v2 interface).
  const std::string msg = FDb->ErrorMessage();
  sqlite3_reset(FStmt);
  throw ESqlError(msg);
}

void Statement::Reset() {
  sqlite3_reset(FStmt);
  sqlite3_clear_bindings(FStmt);
}

int Statement::ColumnCount() const { return sqlite3_column_count(FStmt); }

std::string Statement::ColumnName(int i) const {
  const char* n = sqlite3_column_name(FStmt, i);
  return n ? n : "";
}

std::string Statement::ColumnDeclType(int i) const {
  const char* t = sqlite3_column_decltype(FStmt, i);
  return t ? t : "";
}

int Statement::ColumnType(int i) const { return sqlite3_column_type(FStmt, i); }
int64_t Statement::ColumnInt(int i) const { return sqlite3_column_int64(FStmt, i); }
double Statement::ColumnDouble(int i) const { return sqlite3_column_double(FStmt, i); }

std::string Statement::ColumnText(int i) const { return std::string(ColumnTextView(i)); }

std::string_view Statement::ColumnTextView(int i) const {
  const auto* p = sqlite3_column_text(FStmt, i);
  const int n = sqlite3_column_bytes(FStmt, i);
  return p ? std::string_view(reinterpret_cast<const char*>(p), static_cast<size_t>(n))
           : std::string_view();
}

WriteUnit::WriteUnit(SqliteDb& db) : FDb(db), FSavepoint(!db.AutoCommit()) {
  FDb.Exec(FSavepoint ? "SAVEPOINT pos_unit" : "BEGIN IMMEDIATE");
}

WriteUnit::~WriteUnit() {
  if (FDone) return;
  // Undo; SQLite may already have rolled the whole transaction back after an error, in
  // which case there is nothing left to undo and the statements below fail harmlessly.
  if (FSavepoint) {
    sqlite3_exec(FDb.Handle(), "ROLLBACK TO pos_unit; RELEASE pos_unit", nullptr, nullptr, nullptr);
  } else if (!FDb.AutoCommit()) {
    sqlite3_exec(FDb.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
}

void WriteUnit::Commit() {
  FDb.Exec(FSavepoint ? "RELEASE pos_unit" : "COMMIT");
  FDone = true;
}

}  // namespace store
