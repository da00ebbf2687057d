// Whole actions through qvExecAction. The fuzzer chooses the action number, the SQL
// text, table and column names, the row id and the source file's content; the database
// and file names are fixed inside one temporary folder made for the run, and no field
// it chooses can hold "|", so it never names a path. SQL that could reach other files
// (ATTACH, VACUUM INTO, directory pragmas, extensions) or run away with time or memory
// (recursive WITH, huge blobs and strings, cross joins of many tables) and pragmas that
// change how the file is written are skipped.
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "kivsqlite3.h"
#include "support/answers.h"

namespace {

std::string folder;
int handBacks = 0;
std::string lastAnswer;

int32_t KIV_CALL CountHandBack(const char *, const char *value) {
  ++handBacks;
  lastAnswer = value != nullptr ? value : "";
  return 1;
}

int32_t KIV_CALL IgnoreAction(int32_t, const char *, const char *, const char *, int32_t, int32_t) {
  return 1;
}

void RemoveFiles() {
  for (const char *name :
       {"/f.db", "/f.db-journal", "/f.db-wal", "/f.db-shm", "/src.bin", "/out.bin"})
    unlink((folder + name).c_str());
}

bool Unsafe(std::string sql) {
  std::transform(sql.begin(), sql.end(), sql.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  for (const char *word : {"attach", "vacuum", "directory", "extension", "with", "blob(", "printf",
                           "format", "pragma", "join"}) {
    if (sql.find(word) != std::string::npos) return true;
  }
  return std::count(sql.begin(), sql.end(), ',') > 3;  // no cross join of many tables
}

std::string NoBars(std::string text) {
  std::replace(text.begin(), text.end(), '|', '_');
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  char pattern[] = "/tmp/kivfuzz-XXXXXX";
  folder = mkdtemp(pattern);
  qvRegisterPlugIn(&IgnoreAction, 0, 0, &CountHandBack);
  std::atexit([] {
    RemoveFiles();
    rmdir(folder.c_str());
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzedDataProvider in(data, size);
  const int action = in.ConsumeIntegralInRange(0, 5);
  const std::string sql = NoBars(in.ConsumeRandomLengthString(300));
  const std::string table = NoBars(in.ConsumeRandomLengthString(20));
  const std::string column = NoBars(in.ConsumeRandomLengthString(20));
  const std::string rowId = NoBars(in.ConsumeRandomLengthString(30));
  const std::string content = in.ConsumeRemainingBytesAsString();
  if ((action == 1 || action == 2) && Unsafe(sql)) return 0;

  RemoveFiles();
  sqlite3 *db = nullptr;
  sqlite3_open((folder + "/f.db").c_str(), &db);
  sqlite3_exec(db,
               "CREATE TABLE t(id INTEGER PRIMARY KEY, a, b BLOB);"
               "INSERT INTO t VALUES(1, 'one', x'00ff'); INSERT INTO t VALUES(2, NULL, NULL);",
               nullptr, nullptr, nullptr);
  sqlite3_close(db);
  std::ofstream(folder + "/src.bin", std::ios::binary) << content;

  const std::string dbName = folder + "/f.db";
  std::string params;
  if (action == 3 || action == 4) {
    params = dbName + "|" + table + "|" + column + "|" + rowId + "|" + folder +
             (action == 3 ? "/out.bin" : "/src.bin") + "|res";
  } else {
    params = dbName + "|" + sql + "|res";
  }
  handBacks = 0;
  const char *text = params.c_str();
  const int32_t ran = qvExecAction(action, &text);
  const bool known = action >= 1 && action <= 4;
  if (ran != (known ? 1 : 0) || handBacks != (known ? 1 : 0)) __builtin_trap();
  if (known && !kiv::test::IsAllowedAnswer(action, lastAnswer)) __builtin_trap();

  // The database is whole whatever the action did.
  db = nullptr;
  sqlite3_open((folder + "/f.db").c_str(), &db);
  sqlite3_stmt *check = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
  const bool whole =
      sqlite3_step(check) == SQLITE_ROW &&
      std::string(reinterpret_cast<const char *>(sqlite3_column_text(check, 0))) == "ok";
  sqlite3_finalize(check);
  sqlite3_close(db);
  if (!whole) __builtin_trap();
  return 0;
}
