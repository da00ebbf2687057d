// The action parameter text: one "|"-separated text carrying all of an action's inputs.
// No quoting, no escapes, no trimming; a missing field is empty.
#pragma once

#include <string>
#include <string_view>

namespace kiv::plugin {

// Field `n` (from 1) of `text`: the bytes between the (n-1)-th and the n-th "|", or to
// the end of the text when there is no n-th "|". Empty beyond the last field and for
// n < 1.
std::string ParamField(std::string_view text, int n);

}  // namespace kiv::plugin
