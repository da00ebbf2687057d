// The commands of kivhost, each on a module already loaded and registered. Each
// returns the process exit status: 0 the module ran the action(s), 1 the module refused
// one, 2 a usage or input error (message on standard error).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "host/module_api.h"

namespace kiv::host {

struct RunOptions {
  bool raw = false;   // write only the last value's bytes
  long repeat = 1;    // run the action this many times, show the last run
  bool echo = false;  // script: show each line before its answers
};

// What `kivhost help` prints: the commands, the templates of the actions registered so
// far (as the plug-in registers them), the exit codes.
std::string HelpText();

// Registers the host's callbacks with the module (the module announces its actions).
void RegisterHost(const ModuleApi &api);

// The action number for ACTION: a decimal number as it is, or a registered action name
// (letter case ignored); nothing when it is neither.
std::optional<int32_t> ResolveAction(const std::string &action);

// What `list` shows of the actions registered so far: number, name, parameter type,
// parameter count and hint (control bytes escaped), one action a line.
std::string RegisteredActionsText();
int ListActions();
// The three identity texts, the module file and the SQLite library it works with.
int ShowIdentity(const ModuleApi &api, const std::string &modulePath);
// kivhost's version, the module's (its title) and SQLite's.
int ShowVersion(const ModuleApi &api, const std::string &modulePath);
int RunAction(const ModuleApi &api, int32_t action, const std::string &params,
              const RunOptions &options);
// Runs the script at `path` ("-": standard input) line by line; a bad line is reported
// and the script goes on.
int RunScript(const ModuleApi &api, const std::string &path, const RunOptions &options);

}  // namespace kiv::host
