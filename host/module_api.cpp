// LoadModuleApi: every export of KIV_EXPORTS, by the name KIV_EXPORT_NAME gives it on
// this system.
#include "host/module_api.h"

#include "host/host_os.h"

namespace kiv::host {
namespace {

template <typename Fn>
bool Find(void *module, const char *name, Fn &slot, std::string &error) {
  slot = reinterpret_cast<Fn>(FindExport(module, name));
  if (slot == nullptr) error = std::string("export not found: ") + name;
  return slot != nullptr;
}

}  // namespace

bool LoadModuleApi(const std::string &path, ModuleApi &api, std::string &error) {
  api = ModuleApi{};
  error.clear();
  api.module = LoadModule(path, error);
  if (api.module == nullptr) return false;
  bool found = true;
#define KIV_FIND_EXPORT(result, name, bytes, windowsName, params) \
  found = found && Find(api.module, KIV_EXPORT_NAME(name, windowsName), api.name, error);
  KIV_EXPORTS(KIV_FIND_EXPORT)
#undef KIV_FIND_EXPORT
  return found;
}

std::string DefaultModulePath() {
  const std::string folder = ExecutableFolder();
  return folder.empty() ? folder : folder + kModuleFileName;  // never a bare, relative name
}

}  // namespace kiv::host
