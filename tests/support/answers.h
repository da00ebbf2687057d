// Test support: the answers each action may give, for the tests and fuzz targets that
// check only that an answer is one of them.
#pragma once

#include <string>

namespace kiv::test {

// True when `answer` is an error answer of action `action` (1 to 4): "Error: unable to
// open database", the action's own error texts, or for the query "Error: " and a message.
inline bool IsErrorAnswer(int action, const std::string &answer) {
  if (answer == "Error: unable to open database") return true;
  switch (action) {
    case 1:
      return answer == "Error: unable to execute Querry";
    case 2:
      return answer.rfind("Error: ", 0) == 0;
    case 3:
      return answer == "BLOB SELECT Error" || answer == "Error: unable to write file";
    case 4:
      return answer == "BLOB Update Error" || answer == "Error: unable to read file";
    default:
      return false;
  }
}

// True when `answer` is one that action `action` may give: an error answer, "Ok", or for
// the query a record set (empty, or rows each ended by CR).
inline bool IsAllowedAnswer(int action, const std::string &answer) {
  if (IsErrorAnswer(action, answer)) return true;
  return action == 2 ? answer.empty() || answer.back() == '\r' : answer == "Ok";
}

}  // namespace kiv::test
