// Permission bits of a database's side files (see DatabaseFiles.h).
#include "server/DatabaseFiles.h"

#include <sys/stat.h>
#include <unistd.h>

namespace store {

bool DatabaseFileWritable(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

bool MatchSideFileModes(const std::string& path) {
  struct stat db {};
  if (::stat(path.c_str(), &db) != 0 || !DatabaseFileWritable(path)) return true;
  bool writable = true;
  for (const char* suffix : {"-wal", "-shm"}) {
    const std::string side = path + suffix;
    if (::access(side.c_str(), F_OK) != 0 || DatabaseFileWritable(side)) continue;
    if (::chmod(side.c_str(), db.st_mode & 07777) != 0 || !DatabaseFileWritable(side)) writable = false;
  }
  return writable;
}

}  // namespace store
