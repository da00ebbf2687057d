// Action 2, QX_SQLITE_SELECT: runs a script's SQL and answers with the whole record set
// as one text, "Error: unable to open database" or "Error: " and SQLite's message.
#include <string>

#include "actions/record_set_text.h"
#include "db/database.h"
#include "db/result_table.h"
#include "kivsqlite3.h"
#include "plugin/action_frame.h"
#include "plugin/answer_texts.h"

namespace kiv::actions {
namespace {

// Sets `answer` to "Error: " and `message`; false when even that does not fit.
void SetErrorAnswer(ByteBuffer &answer, std::string_view message) {
  if (!answer.Assign(plugin::kAnswerErrorPrefix) || !answer.Append(message)) answer.Clear();
}

// Opens, runs `sql` into a result table, builds the answer, releases, closes.
ByteBuffer RunQuery(const std::string &database, const std::string &sql) {
  db::ScopedDatabase db;
  db::ColumnNameList names;
  db::ResultTable table;
  ByteBuffer answer;
  if (!db::OpenDatabase(database, db.handle)) {
    answer.Assign(plugin::kAnswerOpenFailed);
  } else {
    db::SetUpTable(table, db.handle, names);
    if (!db::QueryTable(table, sql)) {
      SetErrorAnswer(answer, db::LastErrorText(db.handle));
      // A transaction the script began must not be committed half done by the close.
      db::AbandonTransaction(db.handle);
    } else if (!BuildRecordSetText(table, answer)) {
      SetErrorAnswer(answer, "out of memory");  // SQLite's own words for SQLITE_NOMEM
    }
  }
  db::ReleaseTable(table);
  db::CloseDatabase(db.handle);
  return answer;
}

}  // namespace
}  // namespace kiv::actions

// Fields: database, SQL, result variable.
extern "C" KIV_EXPORT const char *KIV_CALL QX_SQLITE_SELECT(const char *params) {
  return kiv::plugin::RunActionFrame<3>(
      params, [](const auto &field) { return kiv::actions::RunQuery(field[0], field[1]); });
}

