// The five SQLite functions the module calls, as one record: the only way db/ reaches
// SQLite. On Linux they are the ordinary links to libsqlite3.so beside the module
// (engine_linked.cpp), so a preloaded library sees every call; on Windows they are
// bound at the first action (engine_loaded.cpp). CMake picks the file.
#pragma once

#include <sqlite3.h>

namespace kiv::db {

struct Engine {
  decltype(&sqlite3_open) open;              // opens or creates a database file
  decltype(&sqlite3_get_table) get_table;    // runs SQL, every row at once
  decltype(&sqlite3_free_table) free_table;  // gives get_table's rows back
  decltype(&sqlite3_errmsg) errmsg;          // the message of the last failure
  decltype(&sqlite3_close) close;            // closes a connection
};

// The engine, or null when no usable SQLite can be found; then every open fails.
const Engine *TheEngine() noexcept;

}  // namespace kiv::db
