// Connection lifecycle of one action: OpenDatabase sends the module's two pragmas,
// CloseDatabase commits and closes. No connection is cached or shared.
#pragma once

#include <string>

#include "db/exec_sql.h"

namespace kiv::db {

inline constexpr char kCacheSizePragma[] = "PRAGMA default_cache_size = 20000";
inline constexpr char kTempStorePragma[] = "PRAGMA temp_store = 2";
inline constexpr char kCommit[] = "commit";
inline constexpr char kRollback[] = "rollback";
// The name is handed to SQLite in a 400-byte zero-terminated buffer.
inline constexpr std::size_t kLongestDatabaseName = 399;

// Opens `name` into `handle` (sqlite3_open; a missing file is created) and, whenever a
// connection came back, sends the two pragmas, ignoring their outcome. True when the
// open succeeded. A name longer than 399 bytes is refused without opening anything:
// opening it shortened would open or create another file.
bool OpenDatabase(std::string name, DbHandle &handle) noexcept;

// Sends "commit" (outcome ignored), closes the connection and sets `handle` to none.
// Does nothing for a none handle.
void CloseDatabase(DbHandle &handle) noexcept;

// Sends "rollback" (outcome ignored): ends a transaction that a script's failing SQL
// left open, so that it is not committed on close. Without one, SQLite refuses it.
void AbandonTransaction(DbHandle handle) noexcept;

// Closes its handle with CloseDatabase when the scope ends, on every path. Actions close
// explicitly before their hand-back; this only guards paths that forget.
struct ScopedDatabase {
  DbHandle handle = nullptr;

  ScopedDatabase() noexcept = default;
  ScopedDatabase(const ScopedDatabase &) = delete;
  ScopedDatabase &operator=(const ScopedDatabase &) = delete;
  ~ScopedDatabase() { CloseDatabase(handle); }
};

}  // namespace kiv::db
