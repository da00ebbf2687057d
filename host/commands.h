// kivhost's commands, in one table: each row names a command, the operands and options
// it takes, what runs it and its lines of help. The table drives the reading of the
// command line, the dispatch and `kivhost help`; main only loads the module between.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "host/command_line.h"
#include "host/module_api.h"

namespace kiv::host {

// The row for `name`, or null.
const CommandRow *FindCommand(const std::string &name);

// Tells why the plug-in could not be loaded; returns the exit status for it, 2.
int LoadFailed(const Invocation &invocation);

// Registers the host's callbacks with the module (the module announces its actions).
void RegisterHost(const ModuleApi &api);

// The action number for ACTION: a decimal number as it is, or a registered action name
// (letter case ignored); nothing when it is neither.
std::optional<int32_t> ResolveAction(const std::string &action);

// What `list` shows of the actions registered so far: number, name, parameter type,
// parameter count and hint (control bytes escaped), one action a line.
std::string RegisteredActionsText();

// Runs one action as a script line does: warns of the slips kivhost sees, runs it (up to
// `tries` times while it answers a lock), shows the variables it set, and says so when
// the module refused it (`where` names the line for messages). Returns 0, or 1 for a
// refused action.
int RunAndShow(const ModuleApi &api, int32_t action, const std::string &params,
               const std::string &where, long tries);

}  // namespace kiv::host
