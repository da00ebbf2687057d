// kivhost's command line: the options a command may take, the row that describes a
// command (its names, operands, options and help), and the one reader of the words
// typed after a command's name. The rows themselves are commands.cpp's.
#pragma once

#include <string>
#include <vector>

#include "host/module_api.h"

namespace kiv::host {

// The options a command may take.
struct RunOptions {
  bool raw = false;   // run: write only the last value's bytes
  long repeat = 1;    // run: run the action this many times, show the last run
  bool echo = false;  // script: show each line before its answers
  long tries = 1;     // run, script: tries of an action while it answers a lock (--retry N)
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
  const char *options[3];   // the options it takes ("--repeat" takes a value N); null after
  int asTyped;              // the operand taken as typed even when it starts with "--" (-1)
  Needs needs;              // whether it must have the plug-in
  int (*run)(const Invocation &invocation);  // returns the exit status
  const char *help;                          // its lines of help, each ending in "\n"
};

// Reads the words argv[first..argc) into `invocation`: options wherever they stand (but
// in the place of an operand taken as typed), operands in order. Returns "" when they
// fit the row, else the problem (a missing operand or option value, an unknown option,
// too many arguments).
std::string ReadArguments(const CommandRow &command, int argc, char **argv, int first,
                          Invocation &invocation);

// A command's line in help: its names, options and operands.
std::string UsageOf(const CommandRow &command);

}  // namespace kiv::host
