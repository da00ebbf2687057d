// ParamField: splitting the action parameter text on "|".
#include "plugin/param_field.h"

namespace kiv::plugin {

std::string ParamField(std::string_view text, int n) {
  if (n < 1) return {};
  std::size_t start = 0;
  for (int field = 1; field < n; ++field) {
    const std::size_t bar = text.find('|', start);
    if (bar == std::string_view::npos) return {};
    start = bar + 1;
  }
  const std::size_t end = text.find('|', start);
  return std::string(text.substr(start, end == std::string_view::npos ? end : end - start));
}

}  // namespace kiv::plugin
