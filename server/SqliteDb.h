// RAII over the SQLite C interface: a connection, a prepared statement, and a write
// unit that commits or rolls back. Every SQLite failure becomes ESqlError carrying
// SQLite's own message.
//
// A connection is used by one thread at a time; several connections (of several
// sessions, on several threads) may share one database file: files are in WAL mode,
// and a writer that finds the file locked waits up to the busy time-out.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace store {

// How long a statement waits for another connection's write lock.
constexpr int kBusyTimeoutMs = 10000;

class SqliteDb {
 public:
  enum class OpenMode { ExistingFile, CreateNew };
  // Opens path (ExistingFile: ESqlError when it does not exist; CreateNew: ESqlError
  // when it does) and sets WAL mode, the busy time-out and foreign keys.
  SqliteDb(const std::string& path, OpenMode mode);
  ~SqliteDb();
  SqliteDb(const SqliteDb&) = delete;
  SqliteDb& operator=(const SqliteDb&) = delete;

  sqlite3* Handle() const { return FDb; }
  // Runs statements that return no rows (schema scripts, BEGIN/COMMIT ...).
  void Exec(std::string_view sql);
  int64_t LastInsertRowId() const;
  int TotalChanges() const;
  // True outside an explicit transaction (SQLite's autocommit mode).
  bool AutoCommit() const;
  // SQLite's message of the last failure on this connection.
  std::string ErrorMessage() const;

 private:
  sqlite3* FDb = nullptr;
};

class Statement {
 public:
  // Prepares the first statement of sql. ESqlError with SQLite's message on failure.
  Statement(const SqliteDb& db, std::string_view sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  Statement(Statement&& other) noexcept;

  // Parameters are numbered from 1.
  void Bind(int index, std::string_view utf8);
  void Bind(int index, int64_t v);
  void Bind(int index, double v);
  void BindNull(int index);
  // One step: true when a row is ready, false when done. ESqlError on failure.
  bool Step();
  void Reset();

  int ColumnCount() const;
  std::string ColumnName(int i) const;
  // Declared type of a result column that is a table column ("" for expressions).
  std::string ColumnDeclType(int i) const;
  // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB or SQLITE_NULL.
  int ColumnType(int i) const;
  int64_t ColumnInt(int i) const;
  double ColumnDouble(int i) const;
  std::string ColumnText(int i) const;   // UTF-8 (or the blob's bytes)
  // The same without a copy: valid until the next Step, Reset or column call.
  std::string_view ColumnTextView(int i) const;
  sqlite3_stmt* Handle() const { return FStmt; }

 private:
  const SqliteDb* FDb;
  sqlite3_stmt* FStmt = nullptr;
};

// A unit of writes that is undone unless Commit() is called. Outside a transaction it
// opens one (BEGIN IMMEDIATE: the write lock is taken at once, so the unit cannot fail
// half-way for lack of it); inside a transaction it is a savepoint.
class WriteUnit {
 public:
  explicit WriteUnit(SqliteDb& db);
  ~WriteUnit();  // rolls back when not committed
  WriteUnit(const WriteUnit&) = delete;
  WriteUnit& operator=(const WriteUnit&) = delete;
  void Commit();

 private:
  SqliteDb& FDb;
  bool FSavepoint;
  bool FDone = false;
};

}  // namespace store
