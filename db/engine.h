// The SQLite functions the module calls (KIV_ENGINE_FUNCTIONS of engine_functions.h), as one
// record: the only way db/ reaches SQLite. On Linux they are the ordinary links to
// libsqlite3.so beside the module (engine_linked.cpp), so a preloaded library sees every
// call; on Windows they are bound at the first action (engine_loaded.cpp). CMake picks
// the file.
#pragma once

#include <sqlite3.h>

#include "db/engine_functions.h"

namespace kiv::db {

// One pointer per function, named as the function.
struct Engine {
#define KIV_ENGINE_FIELD(name) decltype(&::name) name;
  KIV_ENGINE_FUNCTIONS(KIV_ENGINE_FIELD)
#undef KIV_ENGINE_FIELD
};

// The engine, or null when no usable SQLite can be found; then every open fails.
const Engine *TheEngine() noexcept;

}  // namespace kiv::db
