// SetHostVariable. The texts handed over are the action's own zero-terminated buffers,
// alive until the callback returns; a record set of many megabytes is not copied again.
#include "plugin/host_variable.h"

#include "plugin/host_link.h"

namespace kiv::plugin {
namespace {

void HandBack(const std::string &name, const char *value, bool valueEmpty) noexcept {
  const SetVariableFn callback = hostLink.setVariableCallback;
  if (callback == nullptr) return;  // a host that never registered gets no hand-back
  callback(name.empty() ? nullptr : name.c_str(), valueEmpty ? nullptr : value);
}

}  // namespace

void SetHostVariable(const std::string &name, const std::string &value) noexcept {
  HandBack(name, value.c_str(), value.empty());
}

void SetHostVariable(const std::string &name, const ByteBuffer &value) noexcept {
  HandBack(name, value.c_str(), value.empty());
}

}  // namespace kiv::plugin
