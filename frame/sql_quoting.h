// SQL's quoting, as far as the frame needs it to tell whether a "|" stands inside a
// quoted text, a quoted name or a comment of the SQL field: SQLite's lexical rules for
// '...' (with '' inside), "..." (with ""), [...], `...` (with ``), /* */ and -- to the
// end of the line. Nothing else of SQL is read.
#pragma once

#include <cstddef>
#include <string_view>

namespace kiv::frame {

// True when, scanning `text` as SQL from its start, the byte at `at` stands inside a
// quoted text, a quoted name or a /* comment that closes later in `text`: a "|" there
// cut the SQL in two, and the part after it belongs to the SQL, not to another field.
// A span still open at the end of `text` (an unclosed quote the author wrote) is not
// closed later, and a -- comment is not counted: its "|" ends nothing.
bool InsideClosedQuote(std::string_view text, std::size_t at) noexcept;

}  // namespace kiv::frame
