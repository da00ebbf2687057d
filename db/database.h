// The connection of one action and the SQL it runs for its effect: OpenDatabase opens
// the file and sends the module's two pragmas, ExecSql runs SQL through
// sqlite3_get_table, LastErrorText gives SQLite's message, CloseDatabase commits and
// closes; DbHandle owns the connection. No connection is cached or shared, and no busy handler or
// time-out is set: a lock held elsewhere fails at once. Knows nothing of hosts; SQLite's result
// codes never leave this layer.
#pragma once

#include <cstddef>
#include <string_view>

#include "base/byte_buffer.h"

struct sqlite3;

namespace kiv::db {

struct DbHandle;

inline constexpr char kCacheSizeQuery[] = "PRAGMA default_cache_size";
inline constexpr char kCacheSize[] = "20000";
inline constexpr char kCacheSizePragma[] = "PRAGMA default_cache_size = 20000";
inline constexpr char kTempStorePragma[] = "PRAGMA temp_store = 2";
inline constexpr char kCommit[] = "commit";
inline constexpr char kRollback[] = "rollback";
// The name is handed to SQLite in a 400-byte zero-terminated buffer.
inline constexpr std::size_t kLongestDatabaseName = 399;

// Opens `name` into `db` (sqlite3_open; a missing file is created) and, whenever a
// connection came back, gives it the module's two settings, ignoring their outcome: the
// stored cache size is read first, and "PRAGMA default_cache_size = 20000" is sent only
// when it differs, because sending it rewrites the file's header each time (a write
// transaction that a mere query would otherwise make, and that makes two readers lock
// each other out); then "PRAGMA temp_store = 2". True when the open succeeded; `db` may
// hold a connection either way, which its close gives back. The name ends at its first
// NUL. A name longer than 399 bytes is refused without opening anything: opened
// shortened, it would open or create another file.
bool OpenDatabase(std::string_view name, DbHandle &db) noexcept;

// Sends "commit" to end a transaction the script's SQL left open. True when it
// committed, or when SQLite refused it only because no transaction was open. False when
// SQLite refused to commit (a lock a reader holds, a deferred constraint): the
// transaction is then rolled back, and `refusal`, when given, receives SQLite's message
// for the refusal (empty only when memory for it was short). An "Ok" must never hide a
// commit that did not happen.
bool CommitTransaction(DbHandle &db, ByteBuffer *refusal = nullptr) noexcept;

// Sends "commit", whatever comes of it (a connection whose open failed refuses it too),
// closes the connection and leaves `db` none. Nothing for a none handle.
void CloseDatabase(DbHandle &db) noexcept;

// As CloseDatabase, but the "commit" is CommitTransaction's: false, with SQLite's
// message in `refusal` and the transaction rolled back, when SQLite refused to commit.
// True for a none handle.
bool CommitAndCloseDatabase(DbHandle &db, ByteBuffer &refusal) noexcept;

// Runs the zero-terminated SQL text `sql` (every statement in it, in order) and throws
// any rows away. True when SQLite reported success; false otherwise, and for a none
// handle, where SQLite is not called.
bool ExecSql(const DbHandle &db, const char *sql) noexcept;

// Sends "rollback": ends a transaction that a script's failing SQL left open, so that
// the close does not commit it half done. Without one, SQLite refuses it harmlessly.
// When SQLite cannot even roll back (memory ran out), the connection is closed at once,
// without the close's "commit" (closing rolls back), and `db` is left none.
void AbandonTransaction(DbHandle &db) noexcept;

// SQLite's message for the last failure on the connection, at most 16 MiB, valid until
// the next call on the connection; empty when SQLite gives none or the handle is none.
std::string_view LastErrorText(const DbHandle &db) noexcept;

// The connection of one action and its one owner: none, or an open connection that
// CloseDatabase gives back when the handle goes out of scope, on every path. Actions
// close it themselves before their hand-back, where that order is behaviour.
struct DbHandle {
  sqlite3 *connection = nullptr;  // null: none

  DbHandle() noexcept = default;
  DbHandle(const DbHandle &) = delete;
  DbHandle &operator=(const DbHandle &) = delete;
  ~DbHandle() { CloseDatabase(*this); }
};

}  // namespace kiv::db
