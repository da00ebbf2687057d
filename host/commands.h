// kivhost's commands, in one table: each row names a command, the operands and options
// it takes, what runs it and its lines of help. The table drives the reading of the
// command line, the dispatch and `kivhost help`; main only loads the module between.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/module_api.h"

namespace kiv::host {

// The options a command may take.
struct RunOptions {
  bool raw = false;   // run: write only the last value's bytes
  long repeat = 1;    // run: run the action this many times, show the last run
  bool echo = false;  // script: show each line before its answers
};

// One command as typed, read against its row.
struct Invocation {
  std::string modulePath;             // the plug-in to load ("" when its folder is unknown)
  std::vector<std::string> operands;  // in the order of the row's operands
  RunOptions options;
  const ModuleApi *api = nullptr;  // the plug-in, loaded and registered; null when it is not
  std::string loadError;           // why it is not, when the command may go without it
};

// When a command needs the plug-in.
enum class Needs { kModule, kModuleIfItLoads };

struct CommandRow {
  const char *names[4];     // its names, the first the one help shows; null after the last
  const char *operands[2];  // the operands it needs, in order; null after the last
  const char *options[2];   // the options it takes ("--repeat" takes a value N); null after
  int asTyped;              // the operand taken as typed even when it starts with "--" (-1)
  Needs needs;              // whether it must have the plug-in
  int (*run)(const Invocation &invocation);  // returns the exit status
  const char *help;                          // its lines of help, each ending in "\n"
};

// The row for `name`, or null.
const CommandRow *FindCommand(const std::string &name);

// Reads the words after the command name into `invocation`: options wherever they stand
// (but in the place of an operand taken as typed), operands in order. False, with the
// problem in `*problem` (naming a missing operand or an option's missing value), when
// the words do not fit the row.
bool ReadArguments(const CommandRow &command, int argc, char **argv, int first,
                   Invocation &invocation, std::string *problem);

// Registers the host's callbacks with the module (the module announces its actions).
void RegisterHost(const ModuleApi &api);

// The action number for ACTION: a decimal number as it is, or a registered action name
// (letter case ignored); nothing when it is neither.
std::optional<int32_t> ResolveAction(const std::string &action);

// What `list` shows of the actions registered so far: number, name, parameter type,
// parameter count and hint (control bytes escaped), one action a line.
std::string RegisteredActionsText();

// Prints "kivhost: " + `where` + "warning: " + `text` on standard error.
void Warn(const std::string &where, const std::string &text);

// Runs one action as a script line does: warns of the slips kivhost sees, runs it, shows
// the variables it set, and says so when the module refused it (`where` names the line
// for messages). Returns 0, or 1 for a refused action.
int RunAndShow(const ModuleApi &api, int32_t action, const std::string &params,
               const std::string &where);

}  // namespace kiv::host
