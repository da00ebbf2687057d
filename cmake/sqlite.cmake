# SQLite from its one pinned source (scripts/fetch-sqlite.sh, cached outside the
# checkout; nothing of it is committed). The same source and the same options build
# sqlite3.dll for Windows, libsqlite3.so beside the module on Linux, and the sqlite3
# shell that the native tests use as their oracle: what the tests see is what authors
# get. sqlite3.c is compiled once per toolchain: one object library per build folder,
# and the Linux builds other than native (asan, fuzz, bench) take native's library and
# shell as they are (KIV_NATIVE_BUILD), since SQLite is never instrumented anyway.
# kiv_sqlite3 is what the module and the tests link.

# The feature options of SQLite's own Windows build of this version (OPT_FEATURE_FLAGS
# and REQ_FEATURE_FLAGS of its Makefile.msc; FTS4 named as well, which FTS3 brings), so
# a script written against SQLite's own DLL works with ours. The tests read this list
# (KIV_SQLITE_FEATURES) and check that the engine an action reaches has each.
set(KIV_SQLITE_FEATURES
  SQLITE_ENABLE_FTS3=1 SQLITE_ENABLE_FTS4=1 SQLITE_ENABLE_FTS5=1
  SQLITE_ENABLE_RTREE=1 SQLITE_ENABLE_GEOPOLY=1
  SQLITE_ENABLE_STMTVTAB=1 SQLITE_ENABLE_DBPAGE_VTAB=1 SQLITE_ENABLE_DBSTAT_VTAB=1
  SQLITE_ENABLE_BYTECODE_VTAB=1 SQLITE_ENABLE_CARRAY=1 SQLITE_ENABLE_COLUMN_METADATA=1
  SQLITE_ENABLE_MATH_FUNCTIONS SQLITE_ENABLE_PERCENTILE SQLITE_MAX_TRIGGER_DEPTH=100
  SQLITE_THREADSAFE=1)
set(KIV_SQLITE_OPTIONS ${KIV_SQLITE_FEATURES}
  # Speed without any change a script can see (docs/performance.md says why each):
  SQLITE_DEFAULT_MEMSTATUS=0   # no global memory statistics: no mutex around every malloc
  SQLITE_OMIT_SHARED_CACHE     # shared-cache mode is never enabled; its checks go
  SQLITE_USE_ALLOCA)           # small scratch buffers on the stack instead of the heap
if(NOT WIN32)
  # What SQLite's configure script finds on Linux: without HAVE_USLEEP a busy time-out
  # would sleep in whole seconds.
  list(APPEND KIV_SQLITE_OPTIONS HAVE_USLEEP=1 HAVE_FDATASYNC=1 HAVE_LOCALTIME_R=1
       HAVE_GMTIME_R=1 HAVE_STRCHRNUL=1 HAVE_ISNAN=1 HAVE_MALLOC_H=1 HAVE_MALLOC_USABLE_SIZE=1)
endif()

# SQLite is not our code: built as it comes, without our warnings, and without the
# sanitizer or fuzzer instrumentation of the asan and fuzz builds (which would make the
# fuzzer explore SQLite instead of the module).
function(kiv_sqlite_target target)
  set_property(TARGET ${target} PROPERTY COMPILE_OPTIONS -O2 -w)
  target_compile_definitions(${target} PRIVATE ${KIV_SQLITE_OPTIONS})
endfunction()

add_library(kiv_sqlite3 INTERFACE)
# sqlite3.h alone, for code that binds SQLite at run time instead of linking it.
add_library(kiv_sqlite3_headers INTERFACE)

if(KIV_NATIVE_BUILD AND NOT WIN32)
  set(KIV_SQLITE_DIR ${KIV_NATIVE_BUILD}/_deps/sqlite)
  set(from ${KIV_NATIVE_BUILD}/bin)
  kiv_native_parts(libsqlite3.so sqlite3)
  # Copied beside the module, which finds it through its run path ($ORIGIN).
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/bin/libsqlite3.so
    COMMAND ${CMAKE_COMMAND} -E copy ${from}/libsqlite3.so ${CMAKE_BINARY_DIR}/bin/libsqlite3.so
    DEPENDS ${from}/libsqlite3.so VERBATIM)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/bin/sqlite3
    COMMAND ${CMAKE_COMMAND} -E copy ${from}/sqlite3 ${CMAKE_BINARY_DIR}/bin/sqlite3
    DEPENDS ${from}/sqlite3 VERBATIM)
  add_custom_target(kiv_engine_copy ALL
    DEPENDS ${CMAKE_BINARY_DIR}/bin/libsqlite3.so ${CMAKE_BINARY_DIR}/bin/sqlite3)
  add_library(kiv_sqlite3_copy SHARED IMPORTED GLOBAL)
  set_target_properties(kiv_sqlite3_copy PROPERTIES
                        IMPORTED_LOCATION ${CMAKE_BINARY_DIR}/bin/libsqlite3.so
                        IMPORTED_SONAME libsqlite3.so)
  add_dependencies(kiv_sqlite3 kiv_engine_copy)
  target_link_libraries(kiv_sqlite3 INTERFACE kiv_sqlite3_copy)
  set(KIV_SQLITE3_SHELL ${CMAKE_BINARY_DIR}/bin/sqlite3)
  set(KIV_SQLITE3_SHELL_TARGET kiv_engine_copy)
else()
  set(KIV_SQLITE_DIR ${CMAKE_BINARY_DIR}/_deps/sqlite)
  execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/fetch-sqlite.sh ${KIV_SQLITE_DIR}
                  RESULT_VARIABLE kiv_fetch_result)
  if(NOT kiv_fetch_result EQUAL 0)
    message(FATAL_ERROR "fetching the SQLite source failed")
  endif()

  # The one compilation of sqlite3.c in this folder.
  add_library(kiv_sqlite3_objects OBJECT ${KIV_SQLITE_DIR}/sqlite3.c)
  kiv_sqlite_target(kiv_sqlite3_objects)
  set_target_properties(kiv_sqlite3_objects PROPERTIES C_VISIBILITY_PRESET default)
  add_library(sqlite3 SHARED $<TARGET_OBJECTS:kiv_sqlite3_objects>)
  set_target_properties(sqlite3 PROPERTIES OUTPUT_NAME sqlite3)
  if(WIN32)
    # Plain cdecl exports, as SQLite ships its DLL.
    set_target_properties(sqlite3 PROPERTIES PREFIX "")
    target_compile_definitions(kiv_sqlite3_objects PRIVATE "SQLITE_API=__declspec(dllexport)")
  else()
    find_package(Threads REQUIRED)
    target_link_libraries(sqlite3 PRIVATE Threads::Threads ${CMAKE_DL_LIBS} m)
    # The shell, built from the same source's shell.c against the library above, for the
    # tests and benchmarks that use it as their oracle.
    add_executable(sqlite3_shell EXCLUDE_FROM_ALL ${KIV_SQLITE_DIR}/shell.c)
    kiv_sqlite_target(sqlite3_shell)
    set_target_properties(sqlite3_shell PROPERTIES OUTPUT_NAME sqlite3)
    target_include_directories(sqlite3_shell PRIVATE ${KIV_SQLITE_DIR})
    target_link_libraries(sqlite3_shell PRIVATE sqlite3)
    set(KIV_SQLITE3_SHELL $<TARGET_FILE:sqlite3_shell>)
    set(KIV_SQLITE3_SHELL_TARGET sqlite3_shell)
  endif()
  target_link_libraries(kiv_sqlite3 INTERFACE sqlite3)
endif()

target_include_directories(kiv_sqlite3 INTERFACE ${KIV_SQLITE_DIR})
target_include_directories(kiv_sqlite3_headers INTERFACE ${KIV_SQLITE_DIR})
