// The parameter text of an action: the bytes the host sent, up to their NUL and the
// 16 MiB bound; its "|"-separated fields (ParamField, and the in-place split the frame
// uses); and the rules that find a text cut by a "|" inside a field, which runs nothing,
// and the variable its answer goes to.
#pragma once

#include <cstddef>
#include <string_view>

#include "base/byte_buffer.h"

namespace kiv::frame {

// Field `n` (from 1) of `text`: the bytes between the (n-1)-th and the n-th "|", or to
// the end of the text when there is no n-th "|". No quoting, no escapes, no trimming.
// A field beyond the last, and n < 1, give the empty view with no data.
std::string_view ParamField(std::string_view text, int n) noexcept;

// The parameter text as the host holds it, up to its first NUL. `overBound` when it is
// longer than the 16 MiB that an action takes: the view then reaches on to the NUL, so
// that the variable at its end can be found, but the text is never copied or run.
struct ParamText {
  std::string_view text;
  bool overBound = false;
};
ParamText ReadParamText(const char *params) noexcept;

// The variable that the answer for `params` goes to: field n, or, when a "|" inside a
// field cut the text (`cut`: nothing may run), the last field that holds more than
// blanks, empty when that field stands before field n. `sqlField`: field 2 holds SQL.
// The cut rules are listed above FindAnswerTarget in param_text.cpp.
struct AnswerTarget {
  std::string_view variable;  // no data: no such field, the name goes as null
  bool cut = false;
};
AnswerTarget FindAnswerTarget(const ParamText &params, std::size_t n, bool sqlField) noexcept;

// Copies `text` into `copy` and sets fields[0..n) to fields 1..n of it, as ParamField
// gives them, each followed by a NUL (the copy's separator is overwritten), so data() is
// also a zero-terminated text; a missing field is "". False when memory is short.
bool SplitFields(std::string_view text, ByteBuffer &copy, std::string_view *fields,
                 std::size_t n) noexcept;

}  // namespace kiv::frame
