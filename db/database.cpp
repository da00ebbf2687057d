// OpenDatabase and CloseDatabase over sqlite3_open and sqlite3_close. No busy handler,
// time-out or other engine option is set: a lock held elsewhere fails at once.
#include "db/database.h"

#include <sqlite3.h>

namespace kiv::db {

bool OpenDatabase(std::string name, DbHandle &handle) noexcept {
  // The name crosses to SQLite zero-terminated: it ends at its first NUL byte.
  name.resize(std::char_traits<char>::length(name.c_str()));
  if (name.size() > kLongestDatabaseName) return false;
  const bool opened = sqlite3_open(name.c_str(), &handle) == SQLITE_OK;
  if (handle != nullptr) {
    ExecSql(handle, kCacheSizePragma);
    ExecSql(handle, kTempStorePragma);
  }
  return opened;
}

void CloseDatabase(DbHandle &handle) noexcept {
  if (handle == nullptr) return;
  ExecSql(handle, kCommit);
  sqlite3_close(handle);
  handle = nullptr;
}

void AbandonTransaction(DbHandle handle) noexcept { ExecSql(handle, kRollback); }

}  // namespace kiv::db
