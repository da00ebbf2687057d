// The direct SQLite helpers of the tests (prepared statements, so that no traced
// module call is used).
#include "support/sqlite_probe.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kiv::test {

std::vector<Row> Query(const std::string &path, const std::string &sql) {
  sqlite3 *db = nullptr;
  std::vector<Row> rows;
  EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK) << path;
  const char *tail = sql.c_str();
  while (tail != nullptr && *tail != '\0') {
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, tail, -1, &stmt, &tail) != SQLITE_OK) {
      ADD_FAILURE() << sqlite3_errmsg(db) << " in " << sql;
      break;
    }
    if (stmt == nullptr) continue;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      Row row;
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        if (sqlite3_column_type(stmt, i) == SQLITE_NULL) {
          row.emplace_back(std::nullopt);
        } else {
          const auto *bytes = static_cast<const char *>(sqlite3_column_blob(stmt, i));
          row.emplace_back(std::string(bytes != nullptr ? bytes : "",
                                       static_cast<std::size_t>(sqlite3_column_bytes(stmt, i))));
        }
      }
      rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) ADD_FAILURE() << sqlite3_errmsg(db) << " in " << sql;
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
  return rows;
}

void RunSql(const std::string &path, const std::string &sql) { Query(path, sql); }

std::optional<std::string> Scalar(const std::string &path, const std::string &sql) {
  const auto rows = Query(path, sql);
  if (rows.empty() || rows[0].empty()) return std::nullopt;
  return rows[0][0];
}

std::string IntegrityCheck(const std::string &path) {
  return Scalar(path, "PRAGMA integrity_check").value_or("(none)");
}

std::vector<std::string> MissingFeatureOptions(const std::string &options) {
  // compile_options names SQLITE_X=1 as "X" when X is a feature to enable, else "X=1".
  const std::string shown = " " + options + " ";
  std::vector<std::string> missing;
  std::istringstream features(KIV_SQLITE_FEATURES);
  for (std::string option; features >> option;) {
    option.erase(0, sizeof "SQLITE_" - 1);
    const std::size_t one = option.rfind("=1");
    const std::string bare = one + 2 == option.size() ? option.substr(0, one) : option;
    if (shown.find(" " + option + " ") == std::string::npos &&
        shown.find(" " + bare + " ") == std::string::npos)
      missing.push_back(option);
  }
  return missing;
}

Connection::Connection(const std::string &path) {
  EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
}

Connection::~Connection() { sqlite3_close(db); }

bool Connection::Exec(const std::string &sql) {
  return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace kiv::test
