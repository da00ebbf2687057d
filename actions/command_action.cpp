// Action 1, QX_SQLITE_CMD: runs a script's SQL for its effect and answers "Ok",
// "Error: unable to open database" or "Error: unable to execute Querry".
#include <string>

#include "db/database.h"
#include "kivsqlite3.h"
#include "plugin/action_frame.h"
#include "plugin/answer_texts.h"

namespace kiv::actions {
namespace {

// Opens, runs `sql`, commits or rolls back, closes; returns the answer.
std::string RunCommand(const std::string &database, const std::string &sql) {
  db::ScopedDatabase db;
  std::string answer;
  if (!db::OpenDatabase(database, db.handle)) {
    answer = plugin::kAnswerOpenFailed;
  } else if (!db::ExecSql(db.handle, sql)) {
    answer = plugin::kAnswerCommandFailed;
    // A transaction the script began must not be committed half done by the close.
    db::AbandonTransaction(db.handle);
  } else {
    answer = plugin::kAnswerOk;
    db::ExecSql(db.handle, db::kCommit);  // ends a transaction the script left open
  }
  db::CloseDatabase(db.handle);
  return answer;
}

}  // namespace
}  // namespace kiv::actions

// Fields: database, SQL, result variable.
extern "C" KIV_EXPORT const char *KIV_CALL QX_SQLITE_CMD(const char *params) {
  return kiv::plugin::RunActionFrame<3>(
      params, [](const auto &field) { return kiv::actions::RunCommand(field[0], field[1]); });
}
