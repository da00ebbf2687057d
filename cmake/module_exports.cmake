# The module's exported surface: exactly the eleven functions of kivsqlite3.h.
# Linux: a version script hides everything else (libstdc++'s templates included) and
# -Bsymbolic keeps the module's calls to its own exports inside the module.
# Windows: the .def file names the stdcall exports with their decorations.
set_target_properties(KivSQLite3 PROPERTIES PREFIX "lib" OUTPUT_NAME KivSQLite3)
if(WIN32)
  set_target_properties(KivSQLite3 PROPERTIES PREFIX "")
  target_sources(KivSQLite3 PRIVATE ${PROJECT_SOURCE_DIR}/plugin/KivSQLite3.def)
else()
  set(kiv_exports_map ${PROJECT_SOURCE_DIR}/plugin/exports.map)
  target_link_options(KivSQLite3 PRIVATE
    -Wl,--version-script=${kiv_exports_map} -Wl,-Bsymbolic -Wl,--no-undefined)
  set_target_properties(KivSQLite3 PROPERTIES LINK_DEPENDS ${kiv_exports_map})
endif()
