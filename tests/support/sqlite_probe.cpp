// The direct SQLite helpers of the tests (prepared statements, so that no traced
// module call is used).
#include "support/sqlite_probe.h"

#include <gtest/gtest.h>

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
  std::vector<std::string> missing;
  for (const char *option :
       {"ENABLE_FTS3", "ENABLE_FTS4", "ENABLE_FTS5", "ENABLE_RTREE", "ENABLE_GEOPOLY",
        "ENABLE_STMTVTAB", "ENABLE_DBPAGE_VTAB", "ENABLE_DBSTAT_VTAB", "ENABLE_BYTECODE_VTAB",
        "ENABLE_CARRAY", "ENABLE_COLUMN_METADATA", "ENABLE_MATH_FUNCTIONS", "ENABLE_PERCENTILE",
        "MAX_TRIGGER_DEPTH=100", "THREADSAFE=1"}) {
    if (options.find(option) == std::string::npos) missing.emplace_back(option);
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
