// SQL's quoting, as far as the frame needs it to tell whether a "|" stands inside a
// quoted text, a quoted name or a comment of the SQL field: SQLite's lexical rules for
// '...' (with '' inside), "..." (with ""), [...], `...` (with ``), /* */ and -- to the
// end of the line. Nothing else of SQL is read.
#pragma once

#include <cstddef>
#include <string_view>

namespace kiv::frame {

// True when, reading `text` as SQL from its start, the byte at `at` stands inside a
// quoted text, a quoted name or a /* comment that closes later in `text` (so a "|" there
// cut the SQL). A span still open at the end of `text` does not count, nor does a --
// comment.
bool InsideClosedQuote(std::string_view text, std::size_t at) noexcept;

}  // namespace kiv::frame
