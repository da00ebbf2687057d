// Test support: looking into a database with SQLite directly, outside the module, to
// set up state and check what an action left behind.
#pragma once

#include <sqlite3.h>

#include <optional>
#include <string>
#include <vector>

namespace kiv::test {

// Runs `sql` on the database file `path` (created when missing); fails the test on error.
void RunSql(const std::string &path, const std::string &sql);

// The rows of `sql` on `path`, each cell as text (nullopt for NULL); BLOBs keep their bytes.
using Row = std::vector<std::optional<std::string>>;
std::vector<Row> Query(const std::string &path, const std::string &sql);

// The single value of `sql`, or nullopt for NULL or no row.
std::optional<std::string> Scalar(const std::string &path, const std::string &sql);

// "ok" when PRAGMA integrity_check finds nothing.
std::string IntegrityCheck(const std::string &path);

// The options of the build's feature list (KIV_SQLITE_FEATURES of cmake/sqlite.cmake)
// missing from `options`, the list pragma_compile_options gives.
std::vector<std::string> MissingFeatureOptions(const std::string &options);

// An open connection held by a test, for instance to keep a lock.
struct Connection {
  sqlite3 *db = nullptr;
  explicit Connection(const std::string &path);
  ~Connection();
  bool Exec(const std::string &sql);
};

}  // namespace kiv::test
