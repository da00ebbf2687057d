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

int32_t KIV_CALL RecordAction(int32_t number, const char *name, const char *hint,
                              const char *type, int32_t count, int32_t countAgain) {
  TheHostRecord().actions.push_back({number, Copy(name).value_or(""), Copy(hint).value_or(""),
                                     Copy(type).value_or(""), count, countAgain});
  return 1;
}

int32_t KIV_CALL RecordVariable(const char *name, const char *value) {
  VariableSet set{Copy(name), Copy(value)};
  if (set.name) TheHostRecord().values[*set.name] = set.value.value_or("");
  TheHostRecord().sets.push_back(std::move(set));
  return 1;
}

}  // namespace kiv::host
