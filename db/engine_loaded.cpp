// The engine on Windows. Windows looks for a DLL's imports beside the program, in the
// system folders, the current folder and PATH, but not beside the DLL, and authors put
// sqlite3.dll beside the plug-in. So the functions are bound by name at the first
// action, from trusted folders only, each by its full path: sqlite3.dll beside the
// module, else beside the host program, else in the system folder. Never the current
// folder or PATH, where a sqlite3.dll left in a project or download folder would be
// loaded into the host and run. Nothing happens at load: the module loads and registers
// its actions where no usable sqlite3.dll is, and then every open fails ("Error: unable
// to open database"). A later action tries again, so copying sqlite3.dll in needs no
// restart of the host.
#include <atomic>

#include "db/engine.h"
#include "platform/libraries.h"
#include "platform/process.h"

namespace kiv::db {
namespace {

constexpr char kEngineFile[] = "sqlite3.dll";

// Where binding the engine stands.
enum class Binding { kNotBound, kBinding, kBound };

Engine bound{};  // filled once, by the thread that binds
std::atomic<Binding> binding{Binding::kNotBound};

template <typename Fn>
bool Find(void *library, const char *name, Fn &slot) noexcept {
  slot = reinterpret_cast<Fn>(platform::FindSymbol(library, name));
  return slot != nullptr;
}

// Binds `engine` to the library in `folder`. False, with nothing kept loaded, when there
// is none or it cannot be loaded (not a 32-bit DLL) or lacks one of the functions (an old
// or foreign sqlite3.dll).
bool BindFrom(platform::LibraryFolder folder, Engine &engine) noexcept {
  void *library = platform::OpenLibraryIn(folder, kEngineFile);
  if (library == nullptr) return false;
  bool complete = true;
#define KIV_ENGINE_FIND(name) complete = complete && Find(library, #name, engine.name);
  KIV_ENGINE_FUNCTIONS(KIV_ENGINE_FIND)
#undef KIV_ENGINE_FIND
  if (!complete) platform::CloseLibrary(library);
  return complete;
}

bool Bind(Engine &engine) noexcept {
  for (const platform::LibraryFolder folder : platform::kTrustedLibraryFolders) {
    if (BindFrom(folder, engine)) return true;
  }
  return false;
}

}  // namespace

const Engine *TheEngine() noexcept {
  for (;;) {
    Binding seen = Binding::kNotBound;
    if (binding.compare_exchange_strong(seen, Binding::kBinding)) {
      const bool ok = Bind(bound);
      binding.store(ok ? Binding::kBound : Binding::kNotBound);
      return ok ? &bound : nullptr;
    }
    if (seen == Binding::kBound) return &bound;
    platform::PauseMilliseconds(1);  // another thread is binding it right now
  }
}

}  // namespace kiv::db
