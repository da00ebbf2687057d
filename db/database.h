// The connection of one action and the SQL it runs for its effect: OpenDatabase opens
// the file and sends the module's two pragmas, ExecSql runs SQL through
// sqlite3_get_table, LastErrorText gives SQLite's message, CloseDatabase ends the
// script's transaction as the action says and closes; DbHandle owns the connection. No connection
// is cached or shared, and no busy handler or time-out is set: a lock held elsewhere fails at once.
// Knows nothing of hosts; SQLite's result codes never leave this layer.
#pragma once

#include <cstddef>
#include <string_view>

#include "base/byte_buffer.h"

struct sqlite3;

namespace kiv::db {

struct DbHandle;

// The name is handed to SQLite in a 400-byte zero-terminated buffer.
inline constexpr std::size_t kLongestDatabaseName = 399;

// Opens the database `name` (created when missing) into `db` and sends the module's two
// settings (database.cpp says how). True when the open succeeded; `db` may hold a
// connection either way, for CloseDatabase. A name longer than 399 bytes opens nothing:
// shortened, it would reach another file.
bool OpenDatabase(std::string_view name, DbHandle &db) noexcept;

// How an action ends its connection: what it sends before the close. The transaction
// rules live here: a script's failing SQL is never committed half done, and an answer
// never says "Ok" for a commit SQLite refused.
enum class Ending {
  // "commit", whatever comes of it: a transaction the script left open is kept (a
  // failed open, the BLOB actions).
  kCommitIgnoringOutcome,
  // "commit"; when SQLite refuses it (a lock a reader holds, a deferred constraint; a
  // refusal for want of a transaction is none), "rollback", and the refusal is reported
  // (the query, whose only commit this is).
  kCommitOrRollBack,
  // As kCommitOrRollBack, then the close's own "commit", whatever comes of it: the
  // command sends both, its own commit and the close's.
  kCommitOrRollBackThenCommit,
  // "rollback" (the script's SQL failed), then the close's "commit", whatever comes of
  // it. When SQLite cannot even roll back (memory ran out), the connection is closed at
  // once without the commit (closing rolls back).
  kRollBack,
};

// Ends the connection in `db` as `ending` says and closes it; `db` is then empty. False
// when SQLite refused a commit that `ending` checks: the transaction was rolled back,
// and `refusal` (may be null) holds SQLite's message, empty when memory was short.
bool CloseDatabase(DbHandle &db, Ending ending, ByteBuffer *refusal = nullptr) noexcept;

// Runs every statement of the zero-terminated `sql` and throws any rows away. True when
// SQLite reported success; false otherwise, and for an empty handle.
bool ExecSql(const DbHandle &db, const char *sql) noexcept;

// SQLite's message for the connection's last failure, at most 16 MiB, valid until the
// next call on it; empty when there is none or the handle is empty.
std::string_view LastErrorText(const DbHandle &db) noexcept;

// The connection of one action and its one owner: empty, or an open connection. Each
// action closes it once, with its ending written out, before its hand-back. The
// destructor only closes a connection still open, which rolls back whatever it holds:
// an early return never commits half-done work.
struct DbHandle {
  sqlite3 *connection = nullptr;  // null: empty

  DbHandle() noexcept = default;
  DbHandle(const DbHandle &) = delete;
  DbHandle &operator=(const DbHandle &) = delete;
  ~DbHandle();
};

}  // namespace kiv::db
