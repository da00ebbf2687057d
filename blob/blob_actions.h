// The BLOB actions as plain functions: action 3 copies one field into a file, action 4
// stores a whole file in one field. The value travels inside SQL text: SQLite's quote()
// text on the way out, a hexadecimal literal in one UPDATE on the way in. Each opens
// its database, does its work, releases, closes and returns its answer.
#pragma once

#include <string_view>

#include "base/byte_buffer.h"
#include "frame/answers.h"

namespace kiv::blob {

// Action 3: makes the file `target` (zero-terminated) hold exactly the field's value.
// Returns "Ok", "Error: unable to open database", "BLOB SELECT Error" (also when memory
// is short) or "Error: unable to write file" (the file unchanged; also for the
// database's own files).
frame::Answer RunBlobGet(std::string_view database, std::string_view table, std::string_view column,
                         std::string_view rowId, std::string_view target) noexcept;

// Action 4: stores the whole file `source` (zero-terminated) in the field. Returns "Ok",
// "Error: unable to open database", "Error: unable to read file" (also for the
// database's own files) or "BLOB Update Error" (also when the statement would be too
// long for SQLite, or memory is short).
frame::Answer RunBlobPut(std::string_view database, std::string_view table, std::string_view column,
                         std::string_view rowId, std::string_view source) noexcept;

}  // namespace kiv::blob
