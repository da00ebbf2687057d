# The module's exported surface, made from the one list in include/kivsqlite3.h
# (KIV_EXPORTS): the Linux version script, the Windows .def file, and exports.txt
# ("name windows-name" a line), which the symbol checks read; and engine.txt from the
# list of SQLite functions the module calls (KIV_ENGINE_FUNCTIONS).
# Linux: the version script hides everything else (libstdc++'s templates included) and
# -Bsymbolic keeps the module's calls to its own exports inside the module.
# Windows: the .def names the stdcall exports with their decorations.
set(kiv_header ${PROJECT_SOURCE_DIR}/include/kivsqlite3.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${kiv_header})
file(READ ${kiv_header} kiv_header_text)
string(REGEX MATCHALL "X\\([^,]+, [A-Za-z_0-9]+, [0-9]+, \"[^\"]+\"" kiv_export_lines
       "${kiv_header_text}")
set(kiv_map "{\n  global:\n")
set(kiv_def "; Made by cmake/module_exports.cmake from include/kivsqlite3.h.\nLIBRARY KivSQLite3.dll\nEXPORTS\n")
set(kiv_list "")
foreach(line IN LISTS kiv_export_lines)
  string(REGEX MATCH "X\\([^,]+, ([A-Za-z_0-9]+), ([0-9]+), \"([^\"]+)\"" kiv_match "${line}")
  string(APPEND kiv_map "    ${CMAKE_MATCH_1};\n")
  string(APPEND kiv_def "  ${CMAKE_MATCH_3} = ${CMAKE_MATCH_1}@${CMAKE_MATCH_2}\n")
  string(APPEND kiv_list "${CMAKE_MATCH_1} ${CMAKE_MATCH_3}\n")
endforeach()
string(APPEND kiv_map "  local:\n    *;\n};\n")
list(LENGTH kiv_export_lines kiv_export_count)
if(NOT kiv_export_count EQUAL 11)
  message(FATAL_ERROR "kivsqlite3.h lists ${kiv_export_count} exports; the host interface has 11")
endif()
# engine.txt: the SQLite functions of KIV_ENGINE_FUNCTIONS, one a line, for the checks.
string(REGEX MATCHALL "X\\((sqlite3_[a-z_]+)\\)" kiv_engine_lines "${kiv_header_text}")
string(REGEX REPLACE "X\\((sqlite3_[a-z_]+)\\);?" "\\1\n" kiv_engine_list "${kiv_engine_lines}")
set(KIV_EXPORTS_DIR ${CMAKE_BINARY_DIR}/exports)
file(CONFIGURE OUTPUT ${KIV_EXPORTS_DIR}/engine.txt CONTENT "${kiv_engine_list}")
file(CONFIGURE OUTPUT ${KIV_EXPORTS_DIR}/KivSQLite3.map CONTENT "${kiv_map}")
file(CONFIGURE OUTPUT ${KIV_EXPORTS_DIR}/KivSQLite3.def CONTENT "${kiv_def}")
file(CONFIGURE OUTPUT ${KIV_EXPORTS_DIR}/exports.txt CONTENT "${kiv_list}")

set_target_properties(KivSQLite3 PROPERTIES PREFIX "lib" OUTPUT_NAME KivSQLite3)
if(WIN32)
  set_target_properties(KivSQLite3 PROPERTIES PREFIX "")
  target_sources(KivSQLite3 PRIVATE ${KIV_EXPORTS_DIR}/KivSQLite3.def)
  # Its own entry point (platform_win32.cpp) instead of the C runtime's start-up code, and
  # no data imports, which would need that code's pseudo-relocations.
  target_link_options(KivSQLite3 PRIVATE -nostartfiles -Wl,--entry=_DllMainCRTStartup@12
                      -Wl,--disable-auto-import)
else()
  target_link_options(KivSQLite3 PRIVATE -Wl,--version-script=${KIV_EXPORTS_DIR}/KivSQLite3.map
                      -Wl,-Bsymbolic -Wl,--no-undefined)
  set_target_properties(KivSQLite3 PROPERTIES LINK_DEPENDS ${KIV_EXPORTS_DIR}/KivSQLite3.map)
endif()
