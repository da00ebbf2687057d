// The SQL actions as plain functions: the command (action 1) and the query (action 2)
// with its record-set text. Each opens its database, does its work, releases what it
// took, closes, and returns the answer for the frame to hand back.
#pragma once

#include <string_view>

#include "base/byte_buffer.h"
#include "db/result_table.h"
#include "frame/answers.h"

namespace kiv::actions {

// Action 1: runs the zero-terminated `sql` on `database` for its effect. Answers "Ok",
// "Error: unable to open database" or "Error: unable to execute Querry".
frame::Answer RunCommand(std::string_view database, const char *sql) noexcept;

// Action 2: runs the zero-terminated `sql` on `database` and answers the record-set
// text of all its rows, "Error: unable to open database", or "Error: " followed by
// SQLite's message.
frame::Answer RunQuery(std::string_view database, const char *sql) noexcept;

// The record-set text of `table`, read row by row from its first: for every row, its
// cells (FieldText: up to their first NUL, at most 16 MiB; NULL reads as empty) joined
// by "|" and ended by a carriage return. Nothing is escaped. False when memory for the
// text is short; `text` is then empty.
bool BuildRecordSetText(db::ResultTable &table, ByteBuffer &text) noexcept;

}  // namespace kiv::actions
