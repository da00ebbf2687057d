// The frame every action function shares: split the parameter text into its fields,
// let the action do its work (open, work, close), then hand the answer back, exactly
// once, to the variable named by the last field. Includes nothing from the actions.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "platform/text_bound.h"
#include "plugin/host_variable.h"
#include "plugin/param_field.h"

namespace kiv::plugin {

// Fields 1..N of `params` (a null pointer is the empty text) go to `work`, which returns
// the answer (a std::string or a ByteBuffer) with the database already closed; the
// answer then goes to the variable named by field N. Returns the empty text (null).
template <std::size_t N, typename Work>
const char *RunActionFrame(const char *params, Work work) {
  const std::string_view text = BoundedText(params);
  std::array<std::string, N> fields;
  for (std::size_t i = 0; i < N; ++i) fields[i] = ParamField(text, static_cast<int>(i + 1));
  const auto answer = work(fields);
  SetHostVariable(fields[N - 1], answer);
  return nullptr;
}

}  // namespace kiv::plugin
