// Test support: the real module, loaded from its file and registered with the test
// host's recording callbacks, as a host does. One per test process.
#pragma once

#include <string>
#include <vector>

#include "host/host_record.h"
#include "host/module_api.h"

namespace kiv::test {

// The loaded module (loaded and registered on first use).
const host::ModuleApi &Module();

// Runs `action` with `params` through qvExecAction; returns its result. The sets it
// caused are appended to TheHostRecord().sets.
int RunAction(int action, const std::string &params);

// Runs an action and returns the one value it handed back (fails the test unless
// exactly one set-variable callback came); nullopt values read as "".
std::string Answer(int action, const std::string &params);

// Clears the host record's variable sets.
void ForgetSets();

}  // namespace kiv::test
