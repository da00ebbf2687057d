// kivhost: a command-line host that loads the module by name, as the authoring host
// does, registers with it and runs its actions. The commands are the rows of
// commands.cpp's table; main reads the command line against them, loads the module and
// reports the step that failed in one line.
#include <string>

#include "host/commands.h"
#include "host/host_os.h"
#include "host/messages.h"
#include "host/module_api.h"

namespace {

int Usage(const std::string &problem) {
  kiv::host::Complain("", problem + " (kivhost help shows the commands)");
  return 2;
}

}  // namespace

int main(int argc, char **argv) {
  using namespace kiv::host;
  PrepareProcess();
  for (const int changed : ArgumentsChangedOnTheWay(argc, argv)) {
    Warn("", "the command line changed a letter of argument " + std::to_string(changed) + " (\"" +
                 argv[changed] +
                 "\"): the ANSI code page has no form for it, and Windows put a look-alike or ? "
                 "in its place; a .bat file is read in the console's OEM code page (README, "
                 "\"Typing at a command prompt\"): put the line into a kivhost script");
  }
  Invocation invocation;
  invocation.modulePath = DefaultModulePath();
  int arg = 1;
  if (arg + 1 < argc && std::string(argv[arg]) == "--module") {
    invocation.modulePath = FullPath(argv[arg + 1]);
    arg += 2;
  }
  if (arg >= argc) return Usage("no command given");
  const CommandRow *command = FindCommand(argv[arg]);
  if (command == nullptr) return Usage(std::string("unknown command ") + argv[arg]);
  const std::string problem = ReadArguments(*command, argc, argv, arg + 1, invocation);
  if (!problem.empty()) return Usage(problem);

  ModuleApi api;
  std::string why;
  if (invocation.modulePath.empty()) {
    invocation.loadError =
        "cannot find the folder kivhost runs from; name the plug-in with --module PATH";
  } else if (!LoadModuleApi(invocation.modulePath, api, why)) {
    invocation.loadError = "cannot load the plug-in " + invocation.modulePath + ": " + why;
  } else {
    RegisterHost(api);
    invocation.api = &api;
  }
  if (invocation.api == nullptr && command->needs == Needs::kModule) return LoadFailed(invocation);
  const int status = command->run(invocation);
  if (!AllOutputShown()) {
    Complain("", "the output could not be written in full");
    return 2;
  }
  return status;
}
