// Test support: the answers each action may give, for the tests and fuzz targets that
// check only that an answer is one of them.
#pragma once

#include <set>
#include <string>

namespace kiv::test {

// True when `answer` is an error answer of action `action` (1 to 4): "Error: unable to
// open database", the action's own error texts, or for the query "Error: " and a message.
inline bool IsErrorAnswer(int action, const std::string &answer) {
  static const std::set<std::string> kOwn[] = {{},
                                               {"Error: unable to execute Querry"},
                                               {},
                                               {"BLOB SELECT Error", "Error: unable to write file"},
                                               {"BLOB Update Error", "Error: unable to read file"}};
  if (action < 1 || action > 4) return false;
  return answer == "Error: unable to open database" || kOwn[action].count(answer) > 0 ||
         (action == 2 && answer.rfind("Error: ", 0) == 0);
}

// True when `answer` is one that action `action` may give: an error answer, "Ok", or for
// the query a record set (empty, or rows each ended by CR).
inline bool IsAllowedAnswer(int action, const std::string &answer) {
  if (IsErrorAnswer(action, answer)) return true;
  return action == 2 ? answer.empty() || answer.back() == '\r' : answer == "Ok";
}

}  // namespace kiv::test
