// Test support: what the module's code sends to SQLite. The unit-test executable is
// linked with --wrap for sqlite3_open and sqlite3_get_table, so each call is recorded
// here and then passed on to SQLite unchanged.
#pragma once

#include <string>
#include <vector>

namespace kiv::test {

// Records calls while alive: "open:<name>" for sqlite3_open, the SQL text for
// sqlite3_get_table.
class SqlTrace {
 public:
  SqlTrace();
  ~SqlTrace();
  const std::vector<std::string> &Calls() const;
};

}  // namespace kiv::test
