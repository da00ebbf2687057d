// kivhost: a command-line host that loads the module by name, as the authoring host
// does, registers with it and runs its actions. `kivhost help` tells the commands.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/host_os.h"
#include "host/kivhost_commands.h"
#include "host/module_api.h"

namespace {

int Usage(const std::string &problem) {
  kiv::host::Print(stderr, "kivhost: " + problem + " (kivhost help shows the commands)\n");
  return 2;
}

bool IsHelp(const std::string &word) {
  return word == "help" || word == "--help" || word == "-h" || word == "/?";
}

}  // namespace

int main(int argc, char **argv) {
  using namespace kiv::host;
  PrepareProcess();
  int arg = 1;
  std::string modulePath = DefaultModulePath();
  if (arg + 1 < argc && std::string(argv[arg]) == "--module") {
    modulePath = FullPath(argv[arg + 1]);
    arg += 2;
  }
  if (arg >= argc) return Usage("no command given");
  const std::string command = argv[arg++];
  if (IsHelp(command)) {  // with the plug-in's own templates, when it loads
    ModuleApi api;
    if (!modulePath.empty() && LoadModuleApi(modulePath, api, nullptr)) RegisterHost(api);
    Print(stdout, HelpText());
    return 0;
  }
  if (command != "list" && command != "info" && command != "run" && command != "script" &&
      command != "--version")
    return Usage("unknown command " + command);

  // Options may stand before or after the operands (script FILE --echo).
  RunOptions options;
  std::vector<std::string> operands;
  while (arg < argc) {
    const std::string word = argv[arg++];
    // Where an option may stand: anywhere for script; for run, not as the PARAMETERS.
    const bool optionPlace = command == "script" || (command == "run" && operands.size() != 1);
    if (optionPlace && command == "run" && word == "--raw") {
      options.raw = true;
    } else if (optionPlace && command == "run" && word == "--repeat") {
      char *end = nullptr;
      options.repeat = arg < argc ? std::strtol(argv[arg++], &end, 10) : 0;
      if (end == nullptr || *end != '\0' || options.repeat < 1)
        return Usage("--repeat needs a count of 1 or more");
    } else if (optionPlace && command == "script" && word == "--echo") {
      options.echo = true;
    } else if (optionPlace && word.size() > 2 && word.rfind("--", 0) == 0) {
      return Usage("unknown option " + word + " for " + command);
    } else {
      operands.push_back(word);
    }
  }
  if ((command == "list" || command == "info" || command == "--version") && !operands.empty())
    return Usage("too many arguments");
  if (command == "script" && operands.size() != 1)
    return Usage("script needs one FILE, or - for standard input");
  if (command == "run" && operands.size() != 2)
    return Usage("run needs ACTION and one PARAMETERS text");

  if (modulePath.empty()) {
    Print(stderr,
          "kivhost: cannot find the folder kivhost runs from; name the plug-in with "
          "--module PATH\n");
    return 2;
  }
  ModuleApi api;
  std::string error;
  if (!LoadModuleApi(modulePath, api, &error)) {
    if (command == "--version") Print(stdout, "kivhost " KIV_VERSION "\n");
    Print(stderr, "kivhost: cannot load the plug-in " + modulePath + ": " + error + "\n");
    return 2;
  }
  RegisterHost(api);

  int status = 0;
  if (command == "list") {
    status = ListActions();
  } else if (command == "info") {
    status = ShowIdentity(api, modulePath);
  } else if (command == "--version") {
    status = ShowVersion(api, modulePath);
  } else if (command == "script") {
    status = RunScript(api, operands[0], options);
  } else if (const auto action = ResolveAction(operands[0])) {
    status = RunAction(api, *action, operands[1], options);
  } else {
    return Usage("unknown action " + operands[0]);
  }
  if (!AllOutputShown()) {
    Print(stderr, "kivhost: the output could not be written in full\n");
    return 2;
  }
  return status;
}
