// kivhost: a command-line host that loads the module by name, as the authoring host
// does, registers with it and runs its actions.
//   kivhost [--module PATH] list | info | run [--raw] [--repeat N] ACTION [PARAMETERS]
//                           | script FILE
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/kivhost_commands.h"
#include "host/module_api.h"

namespace {

constexpr char kUsage[] =
    "usage: kivhost [--module PATH] list\n"
    "       kivhost [--module PATH] info\n"
    "       kivhost [--module PATH] run [--raw] [--repeat N] ACTION [PARAMETERS]\n"
    "       kivhost [--module PATH] script FILE\n";

int Usage(const char *problem) {
  std::fprintf(stderr, "kivhost: %s\n%s", problem, kUsage);
  return 2;
}

}  // namespace

int main(int argc, char **argv) {
  using namespace kiv::host;
  int arg = 1;
  std::string modulePath = DefaultModulePath();
  if (arg + 1 < argc && std::string(argv[arg]) == "--module") {
    modulePath = argv[arg + 1];
    arg += 2;
  }
  if (arg >= argc) return Usage("no command given");
  const std::string command = argv[arg++];
  if (command != "list" && command != "info" && command != "run" && command != "script")
    return Usage(("unknown command " + command).c_str());

  RunOptions options;
  while (command == "run" && arg < argc && argv[arg][0] == '-' && argv[arg][1] == '-') {
    const std::string option = argv[arg++];
    if (option == "--raw") {
      options.raw = true;
    } else if (option == "--repeat" && arg < argc) {
      char *end = nullptr;
      options.repeat = std::strtol(argv[arg++], &end, 10);
      if (*end != '\0' || options.repeat < 1) return Usage("--repeat needs a count of 1 or more");
    } else {
      return Usage(("unknown option " + option).c_str());
    }
  }
  const int operands = argc - arg;
  if ((command == "list" || command == "info") && operands != 0) return Usage("too many arguments");
  if (command == "script" && operands != 1) return Usage("script needs one FILE");
  if (command == "run" && (operands < 1 || operands > 2))
    return Usage("run needs ACTION and one PARAMETERS text");

  ModuleApi api;
  std::string error;
  if (!LoadModuleApi(modulePath, api, &error)) {
    std::fprintf(stderr, "kivhost: cannot load module %s: %s\n", modulePath.c_str(), error.c_str());
    return 2;
  }
  RegisterHost(api);

  if (command == "list") return ListActions();
  if (command == "info") return ShowIdentity(api, modulePath);
  if (command == "script") return RunScript(api, argv[arg]);
  const auto action = ResolveAction(argv[arg]);
  if (!action) return Usage((std::string("unknown action ") + argv[arg]).c_str());
  return RunAction(api, *action, operands == 2 ? argv[arg + 1] : "", options);
}
