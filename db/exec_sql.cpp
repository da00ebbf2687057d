// ExecSql and LastErrorText over sqlite3_get_table, sqlite3_free_table and
// sqlite3_errmsg. No error-message out-parameter is asked of SQLite: the message stays
// on the connection for LastErrorText, and nothing needs sqlite3_free.
#include "db/exec_sql.h"

#include <sqlite3.h>

#include "platform/text_bound.h"

namespace kiv::db {

bool ExecSql(DbHandle handle, const char *sql) noexcept {
  if (handle == nullptr) return false;
  char **table = nullptr;
  int rows = 0;
  int columns = 0;
  const int rc = sqlite3_get_table(handle, sql, &table, &rows, &columns, nullptr);
  sqlite3_free_table(table);
  return rc == SQLITE_OK;
}

std::string LastErrorText(DbHandle handle) {
  if (handle == nullptr) return {};
  return std::string(BoundedText(sqlite3_errmsg(handle)));
}

}  // namespace kiv::db
