// Running SQL for its effect, and SQLite's message for the last failure. All SQL goes
// through sqlite3_get_table; SQLite's result codes never leave this layer.
#pragma once

#include <string>

struct sqlite3;

namespace kiv::db {

// The connection of one action; null means none.
using DbHandle = sqlite3 *;

// Runs the zero-terminated SQL text `sql` (every statement in it, in order) and throws
// any rows away. True when SQLite reported success; false otherwise, and for a none
// handle, where SQLite is not called.
bool ExecSql(DbHandle handle, const char *sql) noexcept;
inline bool ExecSql(DbHandle handle, const std::string &sql) noexcept {
  return ExecSql(handle, sql.c_str());
}

// SQLite's message for the last failure on the connection, at most 16 MiB; empty when
// SQLite gives none or the handle is none.
std::string LastErrorText(DbHandle handle);

}  // namespace kiv::db
