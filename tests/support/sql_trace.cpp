// The link-time wrappers behind SqlTrace.
#include "support/sql_trace.h"

#include <sqlite3.h>

namespace kiv::test {
namespace {

bool recording = false;
std::vector<std::string> calls;

}  // namespace

SqlTrace::SqlTrace() {
  calls.clear();
  recording = true;
}

SqlTrace::~SqlTrace() { recording = false; }

const std::vector<std::string> &SqlTrace::Calls() const { return calls; }

}  // namespace kiv::test

extern "C" {
int __real_sqlite3_open(const char *name, sqlite3 **db);
int __real_sqlite3_get_table(sqlite3 *db, const char *sql, char ***table, int *rows, int *columns,
                             char **error);

int __wrap_sqlite3_open(const char *name, sqlite3 **db) {
  if (kiv::test::recording) kiv::test::calls.push_back(std::string("open:") + name);
  return __real_sqlite3_open(name, db);
}

int __wrap_sqlite3_get_table(sqlite3 *db, const char *sql, char ***table, int *rows, int *columns,
                             char **error) {
  if (kiv::test::recording) kiv::test::calls.emplace_back(sql);
  return __real_sqlite3_get_table(db, sql, table, rows, columns, error);
}
}
