// The engine on Windows. Windows looks for a DLL's imports beside the program, in the
// system folders, the current folder and PATH, but not beside the DLL, and authors put
// sqlite3.dll beside the plug-in. So the five functions are bound by name at the first
// action: from sqlite3.dll in the module's own folder, else by Windows' normal search.
// Nothing happens at load: the module loads and registers its actions where no usable
// sqlite3.dll is, and then every open fails ("Error: unable to open database"). A
// later action tries again, so copying sqlite3.dll in needs no restart of the host.
#include <atomic>

#include "db/engine.h"
#include "platform/platform.h"

namespace kiv::db {
namespace {

constexpr char kEngineFile[] = "sqlite3.dll";

Engine bound{};             // filled once, by the thread that binds
std::atomic<int> state{0};  // 0 not bound, 1 being bound, 2 bound

template <typename Fn>
bool Find(void *library, const char *name, Fn &slot) noexcept {
  slot = reinterpret_cast<Fn>(platform::FindSymbol(library, name));
  return slot != nullptr;
}

// Loads the engine into `engine`. False, with nothing kept loaded, when no library was
// found or it lacks one of the five functions (an old or foreign sqlite3.dll).
bool Bind(Engine &engine) noexcept {
  void *library = platform::OpenLibraryBesideModule(kEngineFile);
  if (library == nullptr) return false;
  if (Find(library, "sqlite3_open", engine.open) &&
      Find(library, "sqlite3_get_table", engine.get_table) &&
      Find(library, "sqlite3_free_table", engine.free_table) &&
      Find(library, "sqlite3_errmsg", engine.errmsg) &&
      Find(library, "sqlite3_close", engine.close))
    return true;
  platform::CloseLibrary(library);
  return false;
}

}  // namespace

const Engine *TheEngine() noexcept {
  for (;;) {
    int seen = 0;
    if (state.compare_exchange_strong(seen, 1)) {
      const bool ok = Bind(bound);
      state.store(ok ? 2 : 0);
      return ok ? &bound : nullptr;
    }
    if (seen == 2) return &bound;
    platform::PauseMilliseconds(1);  // another thread is binding it right now
  }
}

}  // namespace kiv::db
