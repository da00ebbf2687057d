// Slips in a parameter text that kivhost sees before the module does, and warns of on
// standard error: the action still runs as the host would run it, and the answers stay
// the module's. Which field is which comes from the action's registered template.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kiv::host {

// The warnings for `params` of action `action`, one text each: blanks at either end of
// the database or the variable field (they belong to the name), a field written in the
// template's brackets ("[hs.db]": the brackets are not typed), and a source file of a
// BLOB put that does not exist, named with the folder it was looked for in.
std::vector<std::string> SlipsIn(int32_t action, const std::string &params);

}  // namespace kiv::host
