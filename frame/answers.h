// An action's answer: the fixed answer texts, byte for byte as scripts compare them, and
// Answer, which holds one of them or a text an action made (a record set, "Error: " and
// SQLite's message). Depends on ByteBuffer alone.
#pragma once

#include <utility>

#include "base/byte_buffer.h"

namespace kiv::frame {

// The answer texts, byte for byte as scripts compare them. "Querry" is spelt as the
// scripts that already exist match it: do not correct it.
inline constexpr char kAnswerOk[] = "Ok";
inline constexpr char kAnswerOpenFailed[] = "Error: unable to open database";
inline constexpr char kAnswerCommandFailed[] = "Error: unable to execute Querry";
inline constexpr char kAnswerErrorPrefix[] = "Error: ";
inline constexpr char kAnswerBlobSelectFailed[] = "BLOB SELECT Error";
inline constexpr char kAnswerBlobUpdateFailed[] = "BLOB Update Error";
inline constexpr char kAnswerWriteFileFailed[] = "Error: unable to write file";
inline constexpr char kAnswerReadFileFailed[] = "Error: unable to read file";
// The query's answer when memory runs out: "Error: " and SQLite's own words for it.
inline constexpr char kAnswerQueryOutOfMemory[] = "Error: out of memory";
// The query's answers for a parameter text it does not run: one that a "|" inside a
// field cut, and one longer than the 16 MiB an action takes.
inline constexpr char kAnswerQueryCut[] = "Error: a '|' cut the SQL text; nothing was run";
inline constexpr char kAnswerQueryTooLong[] =
    "Error: the text is longer than 16 MiB; nothing was run";

// An action's answer: one of the fixed texts above, or a text of its own (a record set,
// "Error: " and SQLite's message). Either way zero-terminated.
class Answer {
 public:
  Answer(const char *fixed) noexcept : fixed_(fixed) {}  // NOLINT(google-explicit-constructor)
  Answer(ByteBuffer &&text) noexcept : text_(std::move(text)) {}  // NOLINT
  const char *c_str() const noexcept { return fixed_ != nullptr ? fixed_ : text_.c_str(); }

 private:
  const char *fixed_ = nullptr;  // a constant answer text, or null for `text_`
  ByteBuffer text_;              // the answer when it is not a constant
};

}  // namespace kiv::frame
