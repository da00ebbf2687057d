// ActionTable: the four actions as the host sees them. Registration, qvEditAction and
// qvExecAction all read this one constant table.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "kivsqlite3.h"

namespace kiv::plugin {

using ActionFn = const char *(KIV_CALL *)(const char *params);

struct ActionRow {
  int32_t number;                 // what the host passes to qvEditAction / qvExecAction
  const char *name;               // what scripts write
  const char *description;        // first line of the hint
  const char *parameterTemplate;  // the "|"-separated fields of the one parameter
  ActionFn function;              // the exported action function
};

inline constexpr char kParameterType[] = "ACTIONPARAM_ALPHA";
inline constexpr int32_t kParameterCount = 1;

extern const std::array<ActionRow, 4> ActionTable;

// The row for `number`, compared with 1, 2, 3, 4 in this order; null for any other.
const ActionRow *FindAction(int32_t number) noexcept;

// The hint: description, CR LF, the action name, and the template in double quotes.
std::string BuildHint(const ActionRow &row);

}  // namespace kiv::plugin
