// The tests' module host.
#include "support/module_host.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kiv::test {

const host::ModuleApi &Module() {
  static const host::ModuleApi api = [] {
    host::ModuleApi loaded;
    std::string error;
    const char *path = std::getenv("KIV_MODULE");
#ifdef KIV_MODULE_PATH
    const std::string built = KIV_MODULE_PATH;
#else
    const std::string built = host::DefaultModulePath();  // beside the test executable
#endif
    if (!host::LoadModuleApi(path != nullptr ? path : built, loaded, error)) {
      ADD_FAILURE() << "module did not load: " << error;
      std::abort();
    }
    loaded.qvRegisterPlugIn(&host::RecordAction, 0, 0, &host::RecordVariable);
    return loaded;
  }();
  return api;
}

int RunAction(int action, const std::string &params) {
  const char *text = params.c_str();
  return Module().qvExecAction(action, &text);
}

std::string Answer(int action, const std::string &params) {
  Module();
  ForgetSets();
  EXPECT_EQ(RunAction(action, params), 1);
  const auto &sets = host::TheHostRecord().sets;
  EXPECT_EQ(sets.size(), 1u) << "hand-backs for " << params;
  return sets.empty() ? std::string("(no hand-back)") : sets.back().value.value_or("");
}

void ForgetSets() { host::TheHostRecord().sets.clear(); }

}  // namespace kiv::test
