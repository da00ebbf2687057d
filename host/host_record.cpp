// The host's callbacks, copying every text during the call as the contract asks.
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

std::optional<std::string> CurrentValue(const std::string &name) {
  const auto &sets = TheHostRecord().sets;
  for (auto set = sets.rbegin(); set != sets.rend(); ++set) {
    if (set->name == name) return set->value.value_or("");
  }
  return std::nullopt;
}

}  // namespace kiv::host
