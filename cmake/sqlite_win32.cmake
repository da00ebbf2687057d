# sqlite3.dll for Windows, built from the pinned SQLite amalgamation that
# scripts/fetch-sqlite.sh fetches at configure time (nothing of it is committed). Plain
# cdecl exports, as SQLite ships its DLL.
set(KIV_SQLITE_DIR ${CMAKE_BINARY_DIR}/_deps/sqlite)
execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/fetch-sqlite.sh ${KIV_SQLITE_DIR}
                RESULT_VARIABLE kiv_fetch_result)
if(NOT kiv_fetch_result EQUAL 0)
  message(FATAL_ERROR "fetching the SQLite amalgamation failed")
endif()

add_library(sqlite3 SHARED ${KIV_SQLITE_DIR}/sqlite3.c)
set_target_properties(sqlite3 PROPERTIES PREFIX "" OUTPUT_NAME sqlite3 C_VISIBILITY_PRESET default)
target_include_directories(sqlite3 PUBLIC ${KIV_SQLITE_DIR})
target_compile_definitions(sqlite3 PRIVATE
  "SQLITE_API=__declspec(dllexport)"
  SQLITE_THREADSAFE=1
  SQLITE_ENABLE_FTS3 SQLITE_ENABLE_FTS3_PARENTHESIS SQLITE_ENABLE_FTS4 SQLITE_ENABLE_FTS5
  SQLITE_ENABLE_RTREE SQLITE_ENABLE_DBSTAT_VTAB SQLITE_ENABLE_COLUMN_METADATA
  # Speed without any change a script can see (docs/performance.md says why each):
  SQLITE_DEFAULT_MEMSTATUS=0   # no global memory statistics: no mutex around every malloc
  SQLITE_OMIT_SHARED_CACHE     # shared-cache mode is never enabled; its checks go
  SQLITE_USE_ALLOCA)           # small scratch buffers on the stack instead of the heap
target_compile_options(sqlite3 PRIVATE -O2 -w)
target_link_options(sqlite3 PRIVATE -static-libgcc)

add_library(kiv_sqlite3 INTERFACE)
target_link_libraries(kiv_sqlite3 INTERFACE sqlite3)
