// OpenDatabase, CloseDatabase, ExecSql and LastErrorText over the engine's
// sqlite3_open, sqlite3_get_table, sqlite3_free_table, sqlite3_errmsg and sqlite3_close.
// No error-message out-parameter is asked of sqlite3_get_table: the message stays on the
// connection for LastErrorText, and nothing needs sqlite3_free.
#include "db/database.h"

#include "base/byte_buffer.h"
#include "db/engine.h"
#include "platform/platform.h"

namespace kiv::db {

bool OpenDatabase(std::string_view name, DbHandle &handle) noexcept {
  const std::size_t nul = name.find('\0');  // the name crosses to SQLite zero-terminated
  if (nul != std::string_view::npos) name.remove_suffix(name.size() - nul);
  if (name.size() > kLongestDatabaseName) return false;
  const Engine *engine = TheEngine();
  char file[platform::kUtf8NameRoom];
  if (engine == nullptr || !platform::FileNameAsUtf8(name, file)) return false;
  const bool opened = engine->open(file, &handle) == SQLITE_OK;
  if (handle != nullptr) {
    ExecSql(handle, kCacheSizePragma);
    ExecSql(handle, kTempStorePragma);
  }
  return opened;
}

void CloseDatabase(DbHandle &handle) noexcept {
  if (handle == nullptr) return;
  ExecSql(handle, kCommit);
  TheEngine()->close(handle);  // a handle means the engine is bound
  handle = nullptr;
}

bool ExecSql(DbHandle handle, const char *sql) noexcept {
  if (handle == nullptr) return false;
  const Engine *engine = TheEngine();
  char **table = nullptr;
  int rows = 0;
  int columns = 0;
  const int rc = engine->get_table(handle, sql, &table, &rows, &columns, nullptr);
  engine->free_table(table);
  return rc == SQLITE_OK;
}

void AbandonTransaction(DbHandle handle) noexcept { ExecSql(handle, kRollback); }

std::string_view LastErrorText(DbHandle handle) noexcept {
  if (handle == nullptr) return {};
  return BoundedText(TheEngine()->errmsg(handle));
}

}  // namespace kiv::db
