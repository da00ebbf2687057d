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

// Closes the connection as it is (an open transaction is rolled back) and leaves `db`
// none.
void CloseConnection(DbHandle &db) noexcept {
  TheEngine()->sqlite3_close(db.connection);  // a connection means the engine is bound
  db.connection = nullptr;
}

// True when the file already stores the module's cache size. Reading it takes only a
// shared lock and writes nothing.
bool HoldsCacheSize(const Engine &engine, sqlite3 *connection) noexcept {
  char **table = nullptr;
  int rows = 0;
  int columns = 0;
  const bool holds = engine.sqlite3_get_table(connection, kCacheSizeQuery, &table, &rows, &columns,
                                              nullptr) == SQLITE_OK &&
                     rows == 1 && columns == 1 && table[1] != nullptr &&
                     std::string_view(table[1]) == kCacheSize;
  engine.sqlite3_free_table(table);
  return holds;
}

}  // namespace

bool OpenDatabase(std::string_view name, DbHandle &db) noexcept {
  const std::size_t nul = name.find('\0');  // the name crosses to SQLite zero-terminated
  if (nul != std::string_view::npos) name.remove_suffix(name.size() - nul);
  if (name.size() > kLongestDatabaseName) return false;
  const Engine *engine = TheEngine();
  char file[platform::kUtf8NameRoom];
  if (engine == nullptr || !platform::FileNameAsUtf8(name, file)) return false;
  const bool opened = engine->sqlite3_open(file, &db.connection) == SQLITE_OK;
  if (db.connection != nullptr) {
    if (!HoldsCacheSize(*engine, db.connection)) ExecSql(db, kCacheSizePragma);
    ExecSql(db, kTempStorePragma);
  }
  return opened;
}

bool CommitTransaction(DbHandle &db, ByteBuffer *refusal) noexcept {
  if (db.connection == nullptr || ExecSql(db, kCommit)) return true;
  const std::string_view message = LastErrorText(db);
  if (message == kNothingToCommit) return true;
  if (refusal != nullptr && !refusal->Assign(message)) refusal->Clear();
  AbandonTransaction(db);
  return false;
}

void CloseDatabase(DbHandle &db) noexcept {
  if (db.connection == nullptr) return;
  ExecSql(db, kCommit);
  CloseConnection(db);
}

bool CommitAndCloseDatabase(DbHandle &db, ByteBuffer &refusal) noexcept {
  const bool committed = CommitTransaction(db, &refusal);
  if (db.connection != nullptr) CloseConnection(db);  // unless the rollback closed it
  return committed;
}

bool ExecSql(const DbHandle &db, const char *sql) noexcept {
  if (db.connection == nullptr) return false;
  const Engine *engine = TheEngine();
  char **table = nullptr;
  int rows = 0;
  int columns = 0;
  const int rc = engine->sqlite3_get_table(db.connection, sql, &table, &rows, &columns, nullptr);
  engine->sqlite3_free_table(table);
  return rc == SQLITE_OK;
}

void AbandonTransaction(DbHandle &db) noexcept {
  if (db.connection == nullptr || ExecSql(db, kRollback)) return;
  if (LastErrorText(db) != kNothingToRollBack) CloseConnection(db);
}

std::string_view LastErrorText(const DbHandle &db) noexcept {
  if (db.connection == nullptr) return {};
  return BoundedText(TheEngine()->sqlite3_errmsg(db.connection));
}

}  // namespace kiv::db
