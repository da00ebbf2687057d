// Slips in a parameter text that kivhost sees before the module does, and warns of on
// standard error: the action still runs as the host would run it, and the answers stay
// the module's. Which field is which comes from the action's registered template.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/module_api.h"

namespace kiv::host {

// The warnings for `params` of action `action`, one text each, before it runs: blanks
// at either end of the database or the variable field (they belong to the name), a
// variable's field the plug-in reads as cut SQL, a field written in the template's
// brackets, a row id that is empty or not a number, a Windows path on another system, a
// source file or a target's folder that does not exist.
std::vector<std::string> SlipsIn(int32_t action, const std::string &params);

// The warnings after a BLOB action answered "Ok": no row has the row id (the plug-in,
// asked through action 2, counts none), so the file is empty or nothing was stored.
std::vector<std::string> SlipsAfter(const ModuleApi &api, int32_t action,
                                    const std::string &params);

}  // namespace kiv::host
