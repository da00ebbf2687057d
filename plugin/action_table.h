// ActionTable: the whole description of each of the four actions, as the host sees it
// and as the frame runs it. Registration, qvEditAction and qvExecAction read it by
// action number, each exported action function by its own name.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "frame/frame.h"
#include "kivsqlite3.h"

namespace kiv::plugin {

struct ActionRow {
  int32_t number;                 // what the host passes to qvEditAction / qvExecAction
  const char *name;               // what scripts write
  const char *description;        // first line of the hint
  const char *parameterTemplate;  // the "|"-separated fields of the one parameter
  frame::ActionFrame frame;       // field count, SQL field, answers, the work itself
};

inline constexpr char kParameterType[] = "ACTIONPARAM_ALPHA";
inline constexpr int32_t kParameterCount = 1;

// The table, defined constexpr in exports.cpp, where the compiler checks that each row's
// number is its place plus one and that each exported action function has its row.
inline constexpr std::size_t kActionCount = 4;
extern const std::array<ActionRow, kActionCount> ActionTable;

// The row for `number` (1 to 4); null for any other.
const ActionRow *FindAction(int32_t number) noexcept;

// The longest hint, with room to spare; BuildHint never writes more.
inline constexpr std::size_t kHintRoom = 256;

// Writes the hint into `out` (zero-terminated): the description, CR LF, the action name
// and the template in double quotes. Returns its length.
std::size_t BuildHint(const ActionRow &row, char (&out)[kHintRoom]) noexcept;

}  // namespace kiv::plugin
