// The command and query actions. Each writes out the order that is behaviour: the
// query releases its result table before the close, and both close the database
// before the frame's hand-back. The record-set text is built in one pass over SQLite's cells into a
// buffer that grows geometrically (untouched room costs address space, not memory).
#include "actions/sql_actions.h"

#include <cstring>
#include <utility>

namespace kiv::actions {
namespace {

// "Error: " followed by `message` without the line breaks at its end (a record set
// ends in a CR, an error text never does, so that a script can tell them apart), or the
// out-of-memory answer when that does not fit.
frame::Answer ErrorAnswer(std::string_view message) noexcept {
  while (!message.empty() && (message.back() == '\r' || message.back() == '\n'))
    message.remove_suffix(1);
  ByteBuffer text;
  if (!text.Assign(frame::kAnswerErrorPrefix) || !text.Append(message))
    return frame::kAnswerQueryOutOfMemory;
  return frame::Answer(std::move(text));
}

}  // namespace

frame::Answer RunCommand(std::string_view database, const char *sql) noexcept {
  db::DbHandle db;
  const char *answer = frame::kAnswerOk;
  // A failed open has nothing to keep. SQL that failed is not committed half done. SQL
  // that ran is committed by the action's own "commit" (then the close sends a second
  // one, which SQLite refuses harmlessly: both are part of the contract); when SQLite
  // refuses it, nothing was stored, and the answer must say so.
  db::Ending ending = db::Ending::kCommitIgnoringOutcome;
  if (!db::OpenDatabase(database, db)) {
    answer = frame::kAnswerOpenFailed;
  } else if (!db::ExecSql(db, sql)) {
    answer = frame::kAnswerCommandFailed;
    ending = db::Ending::kRollBack;
  } else {
    ending = db::Ending::kCommitOrRollBackThenCommit;
  }
  if (!db::CloseDatabase(db, ending)) answer = frame::kAnswerCommandFailed;
  return answer;
}

frame::Answer RunQuery(std::string_view database, const char *sql) noexcept {
  db::DbHandle db;
  db::ResultTable table;
  frame::Answer answer = frame::kAnswerOpenFailed;
  // The query's only "commit" is the close's: a transaction the script left open that
  // SQLite refuses to commit turns the answer into SQLite's message for the refusal.
  db::Ending ending = db::Ending::kCommitIgnoringOutcome;
  if (db::OpenDatabase(database, db)) {
    ByteBuffer text;
    ending = db::Ending::kCommitOrRollBack;
    if (!db::QueryTable(db, sql, table)) {
      answer = ErrorAnswer(db::LastErrorText(db));
      ending = db::Ending::kRollBack;  // not committed half done
    } else if (!BuildRecordSetText(table, text)) {
      answer = frame::kAnswerQueryOutOfMemory;
    } else {
      answer = frame::Answer(std::move(text));
    }
  }
  db::ReleaseTable(table);
  ByteBuffer refusal;
  if (!db::CloseDatabase(db, ending, &refusal)) {
    answer = refusal.empty() ? frame::Answer(frame::kAnswerQueryOutOfMemory)
                             : ErrorAnswer(refusal.view());
  }
  return answer;
}

bool BuildRecordSetText(db::ResultTable &table, ByteBuffer &text) noexcept {
  text.Clear();
  const int32_t columns = table.ColumnCount;
  for (db::MoveFirst(table); !table.Eof; db::MoveNext(table)) {
    for (int32_t c = 1; c <= columns; ++c) {
      const std::string_view cell = db::FieldText(table, c);
      const std::size_t start = text.size();
      if (!text.Grow(start + cell.size() + 1)) {  // the cell and its "|" or CR
        text.Clear();
        return false;
      }
      char *out = text.data() + start;
      if (!cell.empty()) std::memcpy(out, cell.data(), cell.size());  // NULL cells have no data
      out[cell.size()] = c < columns ? '|' : '\r';
    }
  }
  return true;
}

}  // namespace kiv::actions
