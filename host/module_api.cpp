// LoadModuleApi: the export names come from KIV_EXPORT_NAME, the one place that knows
// the Windows decorations.
#include "host/module_api.h"

#include "platform/module_loader.h"

namespace kiv::host {
namespace {

template <typename Fn>
bool Find(void *module, const char *name, Fn &slot, std::string *error) {
  slot = reinterpret_cast<Fn>(platform::FindExport(module, name));
  if (slot == nullptr && error != nullptr) *error = std::string("export not found: ") + name;
  return slot != nullptr;
}

}  // namespace

bool LoadModuleApi(const std::string &path, ModuleApi &api, std::string *error) {
  api = ModuleApi{};
  void *module = platform::LoadModule(path, error);
  if (module == nullptr) return false;
  api.module = module;
  return Find(module, KIV_EXPORT_NAME(qvRegisterPlugIn, 16), api.RegisterPlugIn, error) &&
         Find(module, KIV_EXPORT_NAME(qvInitPlugIn, 16), api.InitPlugIn, error) &&
         Find(module, KIV_EXPORT_NAME(qvRegisterScriptProcessor, 4),
              api.RegisterScriptProcessor, error) &&
         Find(module, KIV_EXPORT_NAME(qvRegisterInterfaceAccess, 4),
              api.RegisterInterfaceAccess, error) &&
         Find(module, KIV_EXPORT_NAME(qvMessage, 8), api.Message, error) &&
         Find(module, KIV_EXPORT_NAME(qvEditAction, 8), api.EditAction, error) &&
         Find(module, KIV_EXPORT_NAME(qvExecAction, 8), api.ExecAction, error) &&
         Find(module, "QX_SQLITE_CMD", api.Cmd, error) &&
         Find(module, "QX_SQLITE_SELECT", api.Select, error) &&
         Find(module, "QX_SQLITE_BLOB_GET", api.BlobGet, error) &&
         Find(module, "QX_SQLITE_BLOB_PUT", api.BlobPut, error);
}

std::string DefaultModulePath() {
  return platform::ExecutableFolder() + platform::kModuleFileName;
}

}  // namespace kiv::host
