// The engine on Linux: the functions of libsqlite3.so, linked in the ordinary way (found
// beside the module through its run path), so a preloaded library or a test's link-time
// wrapper sees every call. Nothing to bind: the record is a constant.
#include "db/engine.h"

namespace kiv::db {
namespace {

#define KIV_ENGINE_LINK(name) &::name,
constexpr Engine kLinked = {KIV_ENGINE_FUNCTIONS(KIV_ENGINE_LINK)};
#undef KIV_ENGINE_LINK

}  // namespace

const Engine *TheEngine() noexcept { return &kLinked; }

}  // namespace kiv::db
