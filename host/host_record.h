// What a host receives from the module: the registered actions and every variable set.
// The callbacks take no context argument, so the record is one per process.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "kivsqlite3.h"

namespace kiv::host {

struct RegisteredAction {
  int32_t number;
  std::string name;
  std::string hint;
  std::string type;
  int32_t count;
  int32_t countAgain;
};

// One set-variable callback; nullopt stands for a null pointer.
struct SetVariableCall {
  std::optional<std::string> name;
  std::optional<std::string> value;
};

struct HostRecord {
  std::vector<RegisteredAction> actions;  // register-action callbacks, in order
  std::vector<SetVariableCall> sets;      // set-variable callbacks, in order
};

HostRecord &TheHostRecord();

// The value last set for variable `name` (a null value reads as empty), or nothing.
std::optional<std::string> CurrentValue(const std::string &name);

// The parameter template `action` was registered with ("[Database]|[SQL_String]|
// return_variable"): the hint's second line holds the name and the template in double
// quotes. Empty when the hint has none.
std::string TemplateOf(const RegisteredAction &action);

// The registered action numbered `number`, or null.
const RegisteredAction *FindRegistered(int32_t number);

// The numbers registered, as a range for a message ("1 to 4"); "none" before any.
std::string RegisteredRange();

// The callbacks a host hands to qvRegisterPlugIn; they fill TheHostRecord().
int32_t KIV_CALL RecordAction(int32_t number, const char *name, const char *hint, const char *type,
                              int32_t count, int32_t countAgain);
int32_t KIV_CALL RecordVariable(const char *name, const char *value);

}  // namespace kiv::host
