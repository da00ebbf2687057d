// The action frame that the four actions share, below them: HostLink (what the host
// handed over at registration), the hand-back of an action's answer into a script
// variable, and the frame every action runs in: its parameter text split, its work
// done, and its answer handed back exactly once, after the work has closed its
// database. Knows nothing of SQLite or of the actions themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "frame/answers.h"
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

// Calls the host's set-variable callback with (name, value), both zero-terminated; an
// empty text goes as a null pointer. The pointers are the action's own buffers, valid
// only during the callback; the host copies what it keeps. Does nothing when the host
// gave no callback (an action run before registration).
void SetHostVariable(const char *name, const char *value) noexcept;

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
