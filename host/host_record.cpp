// The host's callbacks, copying every text during the call as the contract asks, and what
// kivhost reads of the actions registered: their templates and the range of numbers.
#include "host/host_record.h"

namespace kiv::host {
namespace {

std::optional<std::string> Copy(const char *text) {
  if (text == nullptr) return std::nullopt;
  return std::string(text);
}

}  // namespace

HostRecord &TheHostRecord() {
  static HostRecord record;
  return record;
}

int32_t KIV_CALL RecordAction(int32_t number, const char *name, const char *hint, const char *type,
                              int32_t count, int32_t countAgain) {
  TheHostRecord().actions.push_back({number, Copy(name).value_or(""), Copy(hint).value_or(""),
                                     Copy(type).value_or(""), count, countAgain});
  return 1;
}

int32_t KIV_CALL RecordVariable(const char *name, const char *value) {
  TheHostRecord().sets.push_back({Copy(name), Copy(value)});
  return 1;
}

std::string TemplateOf(const RegisteredAction &action) {
  const std::size_t open = action.hint.find('"');
  const std::size_t close = action.hint.rfind('"');
  return open < close ? action.hint.substr(open + 1, close - open - 1) : std::string();
}

const RegisteredAction *FindRegistered(int32_t number) {
  for (const RegisteredAction &action : TheHostRecord().actions) {
    if (action.number == number) return &action;
  }
  return nullptr;
}

std::string RegisteredRange() {
  const auto &actions = TheHostRecord().actions;
  if (actions.empty()) return "none";
  int32_t low = actions.front().number;
  int32_t high = low;
  for (const RegisteredAction &action : actions) {
    low = action.number < low ? action.number : low;
    high = action.number > high ? action.number : high;
  }
  return std::to_string(low) + " to " + std::to_string(high);
}

std::optional<std::string> CurrentValue(const std::string &name) {
  const auto &sets = TheHostRecord().sets;
  for (auto set = sets.rbegin(); set != sets.rend(); ++set) {
    if (set->name == name) return set->value.value_or("");
  }
  return std::nullopt;
}

}  // namespace kiv::host
