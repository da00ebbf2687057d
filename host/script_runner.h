// `kivhost script`: runs one "ACTION PARAMETERS" a line, from a file or from standard
// input, with [name] replaced by a variable's value as the host holds it, and says what
// the host would do differently where it can see it.
#pragma once

#include <string>

#include "host/commands.h"
#include "host/module_api.h"

namespace kiv::host {

// Runs the script at `path` ("-": standard input, each line answered as it comes) line
// by line; a bad line is reported and the script goes on. Returns the exit status: 0,
// 1 when the module refused an action, 2 for a bad line or a script that cannot be read.
int RunScript(const ModuleApi &api, const std::string &path, const RunOptions &options);

// `line` with every [name] of a variable set so far replaced by its value, as the host's
// variable holds it (a record set's final CR included). "[[" stands for a "[" that stays,
// for SQL's own bracket quoting of a name that is also a variable's; a [name] of no
// variable stays as it is, and is named in `unset`. A value that ends in a CR and
// stands right before a quote is named in `quotedCr`: the quoted text then holds the CR.
std::string SubstituteVariables(const std::string &line, std::string &unset, std::string &quotedCr);

}  // namespace kiv::host
