// kivhost: a command-line host that loads the module by name, as the authoring host
// does, registers with it and runs its actions. `kivhost help` tells the commands.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/host_os.h"
#include "host/kivhost_commands.h"
#include "host/module_api.h"

namespace {

int Usage(const std::string &problem) {
  kiv::host::Print(stderr, "kivhost: " + problem + " (kivhost help shows the commands)\n");
  return 2;
}

bool IsHelp(const std::string &word) { return word == "help" || word == "--help" || word == "-h"; }

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
  if (IsHelp(command)) {
    Print(stdout, kHelp);
    return 0;
  }
  if (command != "list" && command != "info" && command != "run" && command != "script" &&
      command != "--version")
    return Usage("unknown command " + command);

  RunOptions options;
  while ((command == "run" || command == "script") && arg < argc && argv[arg][0] == '-' &&
         argv[arg][1] == '-') {
    const std::string option = argv[arg++];
    if (command == "run" && option == "--raw") {
      options.raw = true;
    } else if (command == "run" && option == "--repeat" && arg < argc) {
      char *end = nullptr;
      options.repeat = std::strtol(argv[arg++], &end, 10);
      if (*end != '\0' || options.repeat < 1) return Usage("--repeat needs a count of 1 or more");
    } else if (command == "script" && option == "--echo") {
      options.echo = true;
    } else {
      return Usage("unknown option " + option + " for " + command);
    }
  }
  const int operands = argc - arg;
  if ((command == "list" || command == "info" || command == "--version") && operands != 0)
    return Usage("too many arguments");
  if (command == "script" && operands != 1)
    return Usage("script needs one FILE, or - for standard input");
  if (command == "run" && (operands < 1 || operands > 2))
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
    status = RunScript(api, argv[arg], options);
  } else if (const auto action = ResolveAction(argv[arg])) {
    status = RunAction(api, *action, operands == 2 ? argv[arg + 1] : "", options);
  } else {
    return Usage(std::string("unknown action ") + argv[arg]);
  }
  if (!AllOutputShown()) {
    Print(stderr, "kivhost: the output could not be written in full\n");
    return 2;
  }
  return status;
}
