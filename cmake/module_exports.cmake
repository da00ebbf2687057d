# The module's exported surface, made from the one list in include/kivsqlite3.h
# (KIV_EXPORTS) as the compiler's preprocessor expands it (cmake/export_lists.cpp): the
# Linux version script, the Windows .def file, and exports.txt ("name windows-name" a
# line), which the symbol checks read; and engine.txt from db/engine_functions.h's list
# of the SQLite functions the module calls.
# Linux: the version script hides everything else (libstdc++'s templates included) and
# -Bsymbolic keeps the module's calls to its own exports inside the module.
# Windows: the .def names the stdcall exports with their decorations.
set(kiv_lists ${PROJECT_SOURCE_DIR}/cmake/export_lists.cpp)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${kiv_lists}
             ${PROJECT_SOURCE_DIR}/include/kivsqlite3.h ${PROJECT_SOURCE_DIR}/db/engine_functions.h)
execute_process(
  COMMAND ${CMAKE_CXX_COMPILER} -E -P -x c++ -I${PROJECT_SOURCE_DIR}/include -I${PROJECT_SOURCE_DIR}
          ${kiv_lists}
  OUTPUT_VARIABLE kiv_words RESULT_VARIABLE kiv_failed)
string(FIND "${kiv_words}" "kiv_export_lists_begin" kiv_begin)
if(kiv_failed OR kiv_begin EQUAL -1)
  message(FATAL_ERROR "the preprocessor could not expand cmake/export_lists.cpp")
endif()
string(SUBSTRING "${kiv_words}" ${kiv_begin} -1 kiv_words)
separate_arguments(kiv_words UNIX_COMMAND "${kiv_words}")
set(kiv_map "{\n  global:\n")
set(kiv_def "; Made by cmake/module_exports.cmake from include/kivsqlite3.h.\nLIBRARY KivSQLite3.dll\nEXPORTS\n")
set(kiv_list "")
set(kiv_engine_list "")
set(kiv_export_count 0)
# Each entry starts with its kind: "engine NAME" or "export NAME BYTES WINDOWS-NAME". The
# "engine" appended at the end only closes the last entry.
list(APPEND kiv_words engine)
set(entry "")
foreach(word IN LISTS kiv_words)
  if(NOT word MATCHES "^(export|engine)$")
    list(APPEND entry ${word})
    continue()
  endif()
  list(LENGTH entry fields)
  if(fields EQUAL 2)
    list(GET entry 1 name)
    string(APPEND kiv_engine_list "${name}\n")
  elseif(fields EQUAL 4)
    list(GET entry 1 name)
    list(GET entry 2 bytes)
    list(GET entry 3 windows_name)
    math(EXPR kiv_export_count "${kiv_export_count} + 1")
    string(APPEND kiv_map "    ${name};\n")
    string(APPEND kiv_def "  ${windows_name} = ${name}@${bytes}\n")
    string(APPEND kiv_list "${name} ${windows_name}\n")
  endif()
  set(entry ${word})
endforeach()
string(APPEND kiv_map "  local:\n    *;\n};\n")
if(NOT kiv_export_count EQUAL 11)
  message(FATAL_ERROR "kivsqlite3.h lists ${kiv_export_count} exports; the host interface has 11")
endif()
set(KIV_EXPORTS_DIR ${CMAKE_BINARY_DIR}/exports)
file(CONFIGURE OUTPUT ${KIV_EXPORTS_DIR}/engine.txt CONTENT "${kiv_engine_list}")
file(CONFIGURE OUTPUT ${KIV_EXPORTS_DIR}/KivSQLite3.map CONTENT "${kiv_map}")
file(CONFIGURE OUTPUT ${KIV_EXPORTS_DIR}/KivSQLite3.def CONTENT "${kiv_def}")
file(CONFIGURE OUTPUT ${KIV_EXPORTS_DIR}/exports.txt CONTENT "${kiv_list}")

set_target_properties(KivSQLite3 PROPERTIES PREFIX "lib" OUTPUT_NAME KivSQLite3)
if(WIN32)
  set_target_properties(KivSQLite3 PROPERTIES PREFIX "")
  target_sources(KivSQLite3 PRIVATE ${KIV_EXPORTS_DIR}/KivSQLite3.def)
  # Its own entry point (platform/process_win32.cpp) instead of the C runtime's start-up code, and
  # no data imports, which would need that code's pseudo-relocations.
  target_link_options(KivSQLite3 PRIVATE -nostartfiles -Wl,--entry=_DllMainCRTStartup@12
                      -Wl,--disable-auto-import)
else()
  target_link_options(KivSQLite3 PRIVATE -Wl,--version-script=${KIV_EXPORTS_DIR}/KivSQLite3.map
                      -Wl,-Bsymbolic -Wl,--no-undefined)
  set_target_properties(KivSQLite3 PROPERTIES LINK_DEPENDS ${KIV_EXPORTS_DIR}/KivSQLite3.map)
endif()
