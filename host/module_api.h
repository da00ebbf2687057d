// A loaded module as a host sees it: the eleven exports, found by name with the
// platform's loader. Used by kivhost and by the tests that drive the real exports.
#pragma once

#include <string>

#include "kivsqlite3.h"

namespace kiv::host {

struct ModuleApi {
  void *module = nullptr;  // the loaded library
  decltype(&::qvRegisterPlugIn) RegisterPlugIn = nullptr;
  decltype(&::qvInitPlugIn) InitPlugIn = nullptr;
  decltype(&::qvRegisterScriptProcessor) RegisterScriptProcessor = nullptr;
  decltype(&::qvRegisterInterfaceAccess) RegisterInterfaceAccess = nullptr;
  decltype(&::qvMessage) Message = nullptr;
  decltype(&::qvEditAction) EditAction = nullptr;
  decltype(&::qvExecAction) ExecAction = nullptr;
  decltype(&::QX_SQLITE_CMD) Cmd = nullptr;
  decltype(&::QX_SQLITE_SELECT) Select = nullptr;
  decltype(&::QX_SQLITE_BLOB_GET) BlobGet = nullptr;
  decltype(&::QX_SQLITE_BLOB_PUT) BlobPut = nullptr;
};

// Loads the module at `path` and finds all eleven exports. False, with the failed step
// in `*error`, when the library does not load or an export is missing.
bool LoadModuleApi(const std::string &path, ModuleApi &api, std::string *error);

// The module file beside the running executable.
std::string DefaultModulePath();

}  // namespace kiv::host
