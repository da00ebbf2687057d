// Never compiled: cmake/module_exports.cmake runs only the preprocessor over this file
// and reads the words it leaves after the marker: "export NAME BYTES WINDOWS-NAME" for
// each export of KIV_EXPORTS, "engine NAME" for each SQLite function the module calls.
#include "db/engine_functions.h"
#include "kivsqlite3.h"

#define KIV_EXPORT_WORDS(result, name, bytes, windowsName, params) export name bytes windowsName
#define KIV_ENGINE_WORDS(name) engine name
kiv_export_lists_begin KIV_EXPORTS(KIV_EXPORT_WORDS) KIV_ENGINE_FUNCTIONS(KIV_ENGINE_WORDS)
