// OpenDatabase, CloseDatabase, ExecSql and LastErrorText over the engine's
// sqlite3_open, sqlite3_get_table, sqlite3_free_table, sqlite3_errmsg and sqlite3_close.
// No error-message out-parameter is asked of sqlite3_get_table: the message stays on the
// connection for LastErrorText, and nothing needs sqlite3_free.
#include "db/database.h"

#include "base/byte_buffer.h"
#include "db/engine.h"
#include "platform/file_names.h"

namespace kiv::db {
namespace {

constexpr char kCacheSizeQuery[] = "PRAGMA default_cache_size";
constexpr char kCacheSize[] = "20000";
constexpr char kCacheSizePragma[] = "PRAGMA default_cache_size = 20000";
constexpr char kTempStorePragma[] = "PRAGMA temp_store = 2";
constexpr char kCommit[] = "commit";
constexpr char kRollback[] = "rollback";

// SQLite's words for a "commit" or "rollback" with no transaction open: not a failure.
constexpr std::string_view kNothingToCommit = "cannot commit - no transaction is active";
constexpr std::string_view kNothingToRollBack = "cannot rollback - no transaction is active";

// Closes the connection as it is (an open transaction is rolled back) and leaves `db`
// empty.
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

DbHandle::~DbHandle() {
  if (connection != nullptr) CloseConnection(*this);
}

// The settings: the stored cache size is read first, and "PRAGMA default_cache_size =
// 20000" sent only when it differs, because sending it rewrites the file's header each
// time (a write transaction that a mere query would make, and that locks two readers out
// of each other); then "PRAGMA temp_store = 2". Their outcome is ignored.
bool OpenDatabase(std::string_view name, DbHandle &db) noexcept {
  const std::size_t nul = name.find('\0');  // the name crosses to SQLite zero-terminated
  if (nul != std::string_view::npos) name.remove_suffix(name.size() - nul);
  if (name.size() > kLongestDatabaseName) return false;
  const Engine *engine = TheEngine();
  char file[platform::kFileNameRoom];
  if (engine == nullptr || !platform::FileNameAsUtf8(name, file)) return false;
  const bool opened = engine->sqlite3_open(file, &db.connection) == SQLITE_OK;
  if (db.connection != nullptr) {
    if (!HoldsCacheSize(*engine, db.connection)) ExecSql(db, kCacheSizePragma);
    ExecSql(db, kTempStorePragma);
  }
  return opened;
}

namespace {

// Sends "rollback": ends a transaction that a script's failing SQL left open. Without
// one, SQLite refuses it harmlessly; when SQLite cannot roll back at all, the connection
// is closed as it is (closing rolls back).
void RollBack(DbHandle &db) noexcept {
  if (ExecSql(db, kRollback)) return;
  if (LastErrorText(db) != kNothingToRollBack) CloseConnection(db);
}

// Sends "commit". True when it committed, or when SQLite refused it only because no
// transaction was open; otherwise the transaction is rolled back, and `refusal`, when
// given, receives SQLite's message for the refusal.
bool CommitOrRollBack(DbHandle &db, ByteBuffer *refusal) noexcept {
  if (ExecSql(db, kCommit)) return true;
  const std::string_view message = LastErrorText(db);
  if (message == kNothingToCommit) return true;
  if (refusal != nullptr && !refusal->Assign(message)) refusal->Clear();
  RollBack(db);
  return false;
}

}  // namespace

bool CloseDatabase(DbHandle &db, Ending ending, ByteBuffer *refusal) noexcept {
  if (db.connection == nullptr) return true;
  bool committed = true;
  if (ending == Ending::kRollBack) {
    RollBack(db);
  } else if (ending != Ending::kCommitIgnoringOutcome) {
    committed = CommitOrRollBack(db, refusal);
  }
  // The close's own "commit", unless the ending's was the only one (or the connection is
  // already closed).
  if (db.connection != nullptr && ending != Ending::kCommitOrRollBack) ExecSql(db, kCommit);
  if (db.connection != nullptr) CloseConnection(db);
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

std::string_view LastErrorText(const DbHandle &db) noexcept {
  if (db.connection == nullptr) return {};
  return BoundedText(TheEngine()->sqlite3_errmsg(db.connection));
}

}  // namespace kiv::db
