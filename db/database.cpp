// OpenDatabase, CloseDatabase, ExecSql and LastErrorText over the engine's
// sqlite3_open, sqlite3_get_table, sqlite3_free_table, sqlite3_errmsg and sqlite3_close.
// No error-message out-parameter is asked of sqlite3_get_table: the message stays on the
// connection for LastErrorText, and nothing needs sqlite3_free.
#include "db/database.h"

#include "base/byte_buffer.h"
#include "db/engine.h"
#include "platform/platform.h"

namespace kiv::db {
namespace {

// SQLite's words for a "commit" or "rollback" with no transaction open: not a failure.
constexpr std::string_view kNothingToCommit = "cannot commit - no transaction is active";
constexpr std::string_view kNothingToRollBack = "cannot rollback - no transaction is active";

// Closes the connection as it is (an open transaction is rolled back) and sets `handle`
// to none.
void CloseConnection(DbHandle &handle) noexcept {
  TheEngine()->close(handle);  // a handle means the engine is bound
  handle = nullptr;
}

// True when the file already stores the module's cache size. Reading it takes only a
// shared lock and writes nothing.
bool HoldsCacheSize(const Engine &engine, DbHandle handle) noexcept {
  char **table = nullptr;
  int rows = 0;
  int columns = 0;
  const bool holds =
      engine.get_table(handle, kCacheSizeQuery, &table, &rows, &columns, nullptr) == SQLITE_OK &&
      rows == 1 && columns == 1 && table[1] != nullptr && std::string_view(table[1]) == kCacheSize;
  engine.free_table(table);
  return holds;
}

}  // namespace

bool OpenDatabase(std::string_view name, DbHandle &handle) noexcept {
  const std::size_t nul = name.find('\0');  // the name crosses to SQLite zero-terminated
  if (nul != std::string_view::npos) name.remove_suffix(name.size() - nul);
  if (name.size() > kLongestDatabaseName) return false;
  const Engine *engine = TheEngine();
  char file[platform::kUtf8NameRoom];
  if (engine == nullptr || !platform::FileNameAsUtf8(name, file)) return false;
  const bool opened = engine->open(file, &handle) == SQLITE_OK;
  if (handle != nullptr) {
    if (!HoldsCacheSize(*engine, handle)) ExecSql(handle, kCacheSizePragma);
    ExecSql(handle, kTempStorePragma);
  }
  return opened;
}

bool CommitTransaction(DbHandle &handle, ByteBuffer *refusal) noexcept {
  if (handle == nullptr || ExecSql(handle, kCommit)) return true;
  const std::string_view message = LastErrorText(handle);
  if (message == kNothingToCommit) return true;
  if (refusal != nullptr && !refusal->Assign(message)) refusal->Clear();
  AbandonTransaction(handle);
  return false;
}

bool CloseDatabase(DbHandle &handle, ByteBuffer *refusal) noexcept {
  if (handle == nullptr) return true;
  bool committed = true;
  if (refusal != nullptr) {
    committed = CommitTransaction(handle, refusal);
  } else {
    ExecSql(handle, kCommit);
  }
  if (handle != nullptr) CloseConnection(handle);  // unless the commit's rollback closed it
  return committed;
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

void AbandonTransaction(DbHandle &handle) noexcept {
  if (handle == nullptr || ExecSql(handle, kRollback)) return;
  if (LastErrorText(handle) != kNothingToRollBack) CloseConnection(handle);
}

std::string_view LastErrorText(DbHandle handle) noexcept {
  if (handle == nullptr) return {};
  return BoundedText(TheEngine()->errmsg(handle));
}

}  // namespace kiv::db
