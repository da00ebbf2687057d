// The functions of SQLite the module calls, each once: X(name). They are all it asks of
// the engine (on Windows, a sqlite3.dll lacking one is not used, and kivhost tells so),
// and the build checks that the module calls no other (engine.txt).
#pragma once

// clang-format off
#define KIV_ENGINE_FUNCTIONS(X)                                              \
  X(sqlite3_open)       /* opens or creates a database file */               \
  X(sqlite3_get_table)  /* runs SQL, every row at once */                    \
  X(sqlite3_free_table) /* gives sqlite3_get_table's rows back */            \
  X(sqlite3_errmsg)     /* the message of the connection's last failure */   \
  X(sqlite3_close)      /* closes a connection */
// clang-format on
