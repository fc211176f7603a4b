// The files of one SQLite database on disk: the database file and its side files
// ("-wal" and "-shm", which SQLite makes with the database file's permission bits).
//
// A database that was read-only for a while leaves side files that cannot be written
// (SQLite made them read-only, like the file, when it opened it then). Once the file is
// writable again they would keep every later connection read-only; MatchSideFileModes
// gives them the file's permission bits back before a connection opens.
#pragma once
#include <string>

namespace store {

// True when this process may write the database file at path.
bool DatabaseFileWritable(const std::string& path);
// When the database file is writable, each side file that is not gets the file's
// permission bits. False when a side file stays unwritable (it belongs to someone else,
// say); nothing is deleted.
bool MatchSideFileModes(const std::string& path);

}  // namespace store
