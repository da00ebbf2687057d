// The action frame that the four actions share, below them: HostLink (what the host
// handed over at registration), the answer texts, the parameter text split into its
// "|"-separated fields, and the hand-back of an action's answer into a script variable,
// exactly once, after the action has closed its database. Knows nothing of SQLite or of
// the actions themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

#include "base/byte_buffer.h"
#include "kivsqlite3.h"

namespace kiv::frame {

// The values the host hands over at registration: one record for the whole process,
// written only by the registration exports. The frame reads the set-variable callback.
struct HostLink {
  RegisterActionFn registerActionCallback;  // qvRegisterPlugIn argument 1: announces actions
  intptr_t registerPlugInArg2;              // qvRegisterPlugIn argument 2: kept, unused
  intptr_t registerPlugInArg3;              // qvRegisterPlugIn argument 3: kept, unused
  SetVariableFn setVariableCallback;        // qvRegisterPlugIn argument 4: sets script variables
  intptr_t scriptProcessor;                 // qvRegisterScriptProcessor argument: kept, unused
  intptr_t interfaceAccess;                 // qvRegisterInterfaceAccess argument: kept, unused
  intptr_t initPlugInArg1;                  // qvInitPlugIn argument 1: kept, unused
};

// The module's one HostLink; all fields are zero until the host registers.
extern HostLink hostLink;

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

// Field `n` (from 1) of `text`: the bytes between the (n-1)-th and the n-th "|", or to
// the end of the text when there is no n-th "|". No quoting, no escapes, no trimming.
// A field beyond the last, and n < 1, give the empty view with no data.
std::string_view ParamField(std::string_view text, int n) noexcept;

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

// Calls the host's set-variable callback with (name, value), both zero-terminated; an
// empty text goes as a null pointer. The pointers are the action's own buffers, valid
// only during the callback; the host copies what it keeps. Does nothing when the host
// gave no callback (an action run before registration).
void SetHostVariable(const char *name, const char *value) noexcept;

// The parameter text as the host holds it, up to its first NUL. `overBound` when it is
// longer than the 16 MiB that an action takes: the view then reaches on to the NUL, so
// that the variable at its end can be found, but the text is never copied or run.
struct ParamText {
  std::string_view text;
  bool overBound = false;
};
ParamText ReadParamText(const char *params) noexcept;

// Where the answer for a parameter text goes. A text is cut, and runs nothing, when a
// "|" stood inside a field: a field after the variable's (field n) holds more than
// blanks (space, tab, CR, LF); field n holds a blank between other bytes (no variable's
// name does); with `sqlField`, field 2 ends inside a quoted text, a quoted name or a /*
// comment that a later field closes; or the text is over the bound. The variable of a
// cut text is the one the author meant, the last field that holds more than blanks
// (none when that stands before field n); otherwise field n.
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

// Hands `answer` to the variable `name` (a view into the host's text), through a copy
// that ends it with a NUL. When memory for that copy is short, nothing is handed back.
void HandBack(std::string_view name, const char *answer) noexcept;

// The most fields an action reads.
inline constexpr std::size_t kMostFields = 6;

// What the frame needs to know of an action: its fields, and its answers for a text
// that never reaches its work.
struct ActionFrame {
  std::size_t fieldCount;  // fields 1..fieldCount are read; the last names the variable
  bool sqlField;           // field 2 is SQL: a quote it ends inside cuts the text
  const char *noMemory;    // the answer when memory for the parameter text runs out
  const char *cut;         // the answer for a cut text (FindAnswerTarget), which runs nothing
  const char *tooLong;     // the answer for a text over the 16 MiB bound, which runs nothing
  // The action's work (open, work, release, close) on fields 1..fieldCount, each
  // zero-terminated; returns the answer.
  Answer (*work)(const std::string_view *fields) noexcept;
};

// One action function: the fields of `params` go to the action's work, and its answer
// then goes to the variable that the last field names, exactly once, after the work has
// closed its database; a cut text, or one that cannot be copied, gets the action's own
// answer for that instead. Returns the empty text (null), as every action function does.
const char *RunActionFrame(const char *params, const ActionFrame &action) noexcept;

}  // namespace kiv::frame
