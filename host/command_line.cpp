// Reading kivhost's command line: the options' table and the reader of a command's words.
#include "host/command_line.h"

#include <cstdlib>

namespace kiv::host {
namespace {

struct OptionRow {
  const char *name;   // as typed
  const char *value;  // the name of the value it takes, or null for none
  // Stores the option (with its value) in `options`; false when the value will not do.
  bool (*store)(RunOptions &options, const std::string &value);
  const char *need;  // what the value must be, for the message when it will not do
};

constexpr OptionRow kOptions[] = {
    {"--raw", nullptr, [](RunOptions &o, const std::string &) { return o.raw = true; }, ""},
    {"--repeat", "N",
     [](RunOptions &o, const std::string &value) {
       char *end = nullptr;
       o.repeat = std::strtol(value.c_str(), &end, 10);
       return !value.empty() && *end == '\0' && o.repeat >= 1;
     },
     "a count of 1 or more"},
    {"--echo", nullptr, [](RunOptions &o, const std::string &) { return o.echo = true; }, ""},
    {"--retry", "N",
     [](RunOptions &o, const std::string &value) {
       char *end = nullptr;
       o.tries = std::strtol(value.c_str(), &end, 10);
       return !value.empty() && *end == '\0' && o.tries >= 1 && o.tries <= 1000;
     },
     "a count of 1 to 1000"}};

const OptionRow *FindOption(const CommandRow &command, const std::string &word) {
  for (const char *name : command.options) {
    if (name == nullptr || word != name) continue;
    for (const OptionRow &option : kOptions) {
      if (word == option.name) return &option;
    }
  }
  return nullptr;
}

}  // namespace

std::string UsageOf(const CommandRow &command) {
  std::string usage = command.names[0];
  for (std::size_t i = 1; i < 4 && command.names[i] != nullptr; ++i)
    usage += std::string(", ") + command.names[i];
  for (const char *name : command.options) {
    if (name == nullptr) continue;
    const OptionRow *option = FindOption(command, name);
    usage += std::string(" [") + name +
             (option->value != nullptr ? std::string(" ") + option->value : "") + "]";
  }
  for (const char *operand : command.operands) {
    if (operand != nullptr) usage += std::string(" ") + operand;
  }
  return usage;
}

std::string ReadArguments(const CommandRow &command, int argc, char **argv, int first,
                          Invocation &invocation) {
  invocation.operands.clear();
  const std::string name = command.names[0];
  for (int arg = first; arg < argc; ++arg) {
    const std::string word = argv[arg];
    const bool asTyped = static_cast<int>(invocation.operands.size()) == command.asTyped;
    const OptionRow *option = asTyped ? nullptr : FindOption(command, word);
    if (option != nullptr) {
      const bool hasValue = option->value != nullptr && arg + 1 < argc;
      const std::string value = hasValue ? argv[++arg] : "";
      if ((option->value != nullptr && !hasValue) || !option->store(invocation.options, value)) {
        return word + " needs " + option->value + ", " + option->need;
      }
    } else if (!asTyped && word.size() > 2 && word.rfind("--", 0) == 0) {
      return "unknown option " + word + " for " + name;
    } else {
      invocation.operands.push_back(word);
    }
  }
  std::size_t needed = 0;
  while (needed < 2 && command.operands[needed] != nullptr) ++needed;
  if (invocation.operands.size() < needed) {
    return name + " needs " + command.operands[invocation.operands.size()] + ": kivhost " +
           UsageOf(command);
  }
  if (invocation.operands.size() > needed) {
    return "too many arguments for " + name + ": kivhost " + UsageOf(command);
  }
  return "";
}
}  // namespace kiv::host
