// The frame's process-wide HostLink, the parameter split and the hand-back.
#include "frame/frame.h"

namespace kiv::frame {

HostLink hostLink{};

std::string_view ParamField(std::string_view text, int n) noexcept {
  if (n < 1) return {};
  std::size_t start = 0;
  for (int field = 1; field < n; ++field) {
    const std::size_t bar = text.find('|', start);
    if (bar == std::string_view::npos) return {};
    start = bar + 1;
  }
  const std::size_t end = text.find('|', start);
  return std::string_view(text.data() + start,
                          (end == std::string_view::npos ? text.size() : end) - start);
}

std::string_view VariableField(std::string_view text, std::size_t n, bool *cut) noexcept {
  *cut = false;
  const std::string_view field = ParamField(text, static_cast<int>(n));
  if (!field.empty() || field.data() == nullptr) return field;
  // Field n is there and empty: what follows it, from the "|" that ends it.
  std::string_view rest = text;
  rest.remove_prefix(static_cast<std::size_t>(field.data() - text.data()));
  const std::size_t last = rest.find_last_not_of('|');
  if (last == std::string_view::npos) return field;  // nothing after it
  rest.remove_suffix(rest.size() - last - 1);
  rest.remove_prefix(rest.rfind('|') + 1);  // a "|" ends field n
  *cut = true;
  return rest;
}

bool SplitParams(const char *params, ByteBuffer &copy, std::string_view *fields, std::size_t n,
                 std::string_view *cutVariable) noexcept {
  if (!copy.Assign(BoundedText(params))) return false;
  const std::string_view text = copy.view();
  for (std::size_t i = 0; i < n; ++i) fields[i] = ParamField(text, static_cast<int>(i + 1));
  bool cut = false;
  *cutVariable = VariableField(text, n, &cut);
  if (!cut) *cutVariable = {};
  // Only now end each field with a NUL: the separators had to stay for the split.
  for (std::size_t i = 0; i < n; ++i) {
    if (fields[i].data() == nullptr) {
      fields[i] = "";  // a missing field
    } else {
      copy.data()[fields[i].data() - text.data() + fields[i].size()] = '\0';
    }
  }
  if (cut) copy.data()[cutVariable->data() - text.data() + cutVariable->size()] = '\0';
  return true;
}

void HandBackWithoutCopy(const char *params, std::size_t n, const char *answer) noexcept {
  ByteBuffer name;
  bool cut = false;
  if (name.Assign(VariableField(BoundedText(params), n, &cut))) {
    SetHostVariable(name.c_str(), answer);
  }
}

void SetHostVariable(const char *name, const char *value) noexcept {
  const SetVariableFn callback = hostLink.setVariableCallback;
  if (callback == nullptr) return;
  callback(*name != '\0' ? name : nullptr, *value != '\0' ? value : nullptr);
}

}  // namespace kiv::frame
