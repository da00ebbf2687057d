// A loaded module as a host sees it: the eleven exports of KIV_EXPORTS, found by name
// with the loader of host_os.h. Used by kivhost and by the tests that drive the real
// exports.
#pragma once

#include <string>

#include "kivsqlite3.h"

namespace kiv::host {

// One function pointer per export, named as the export.
struct ModuleApi {
  void *module = nullptr;  // the loaded library
#define KIV_API_FIELD(result, name, bytes, windowsName, params) \
  result(KIV_CALL *name) params = nullptr;
  KIV_EXPORTS(KIV_API_FIELD)
#undef KIV_API_FIELD
};

// Loads the module at `path` and finds all eleven exports. False, with the failed step
// in `error`, when the library does not load or an export is missing.
bool LoadModuleApi(const std::string &path, ModuleApi &api, std::string &error);

// The module file beside the running program; empty when that folder cannot be found.
std::string DefaultModulePath();

}  // namespace kiv::host
