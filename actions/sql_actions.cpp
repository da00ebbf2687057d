// The command and query actions. Both write out the order that is behaviour: the
// result table is released before the close, and the close comes before the frame's
// hand-back. The record-set text is built in one pass over SQLite's cells into a buffer
// that grows geometrically (untouched room costs address space, not memory).
#include "actions/sql_actions.h"

#include <cstring>
#include <utility>

namespace kiv::actions {
namespace {

// "Error: " followed by `message`, or the out-of-memory answer when that does not fit.
frame::Answer ErrorAnswer(std::string_view message) noexcept {
  ByteBuffer text;
  if (!text.Assign(frame::kAnswerErrorPrefix) || !text.Append(message))
    return frame::kAnswerQueryOutOfMemory;
  return frame::Answer(std::move(text));
}

}  // namespace

frame::Answer RunCommand(std::string_view database, const char *sql) noexcept {
  db::DbHandle db;
  const char *answer = frame::kAnswerOk;
  if (!db::OpenDatabase(database, db)) {
    answer = frame::kAnswerOpenFailed;
  } else if (!db::ExecSql(db, sql)) {
    answer = frame::kAnswerCommandFailed;
    // A transaction the script began is not committed half done by the close.
    db::AbandonTransaction(db);
  } else if (!db::CommitTransaction(db)) {
    // The action's own "commit" ends a transaction the script left open (the close sends
    // a second one, which SQLite then refuses harmlessly: both are part of the contract).
    // When SQLite refuses it, nothing was stored, and the answer must say so.
    answer = frame::kAnswerCommandFailed;
  }
  db::CloseDatabase(db);
  return answer;
}

frame::Answer RunQuery(std::string_view database, const char *sql) noexcept {
  db::DbHandle db;
  db::ResultTable table;
  frame::Answer answer = frame::kAnswerOpenFailed;
  const bool opened = db::OpenDatabase(database, db);
  if (opened) {
    ByteBuffer text;
    if (!db::QueryTable(table, db, sql)) {
      answer = ErrorAnswer(db::LastErrorText(db));
      // A transaction the script began is not committed half done by the close.
      db::AbandonTransaction(db);
    } else if (!BuildRecordSetText(table, text)) {
      answer = frame::kAnswerQueryOutOfMemory;
    } else {
      answer = frame::Answer(std::move(text));
    }
  }
  db::ReleaseTable(table);
  // The query's only "commit" is the close's: a transaction the script left open that
  // SQLite refuses to commit turns the answer into SQLite's message for the refusal. A
  // connection whose open failed refuses it too, and that is no refusal.
  ByteBuffer refusal;
  if (!opened) {
    db::CloseDatabase(db);
  } else if (!db::CommitAndCloseDatabase(db, refusal)) {
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
