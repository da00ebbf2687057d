// The engine on Linux: the five functions of libsqlite3.so, linked in the ordinary way
// (found beside the module through its run path), so a preloaded library or a test's
// link-time wrapper sees every call. Nothing to bind: the record is a constant.
#include "db/engine.h"

namespace kiv::db {
namespace {

constexpr Engine kLinked = {&sqlite3_open, &sqlite3_get_table, &sqlite3_free_table, &sqlite3_errmsg,
                            &sqlite3_close};

}  // namespace

const Engine *TheEngine() noexcept { return &kLinked; }

}  // namespace kiv::db
