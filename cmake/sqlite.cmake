# kiv_sqlite3: the SQLite library the module links to. Debian's libsqlite3 natively;
# for Windows, sqlite3.dll built from the pinned amalgamation (cmake/sqlite_win32.cmake).
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/sqlite_win32.cmake)
else()
  find_package(SQLite3 REQUIRED)
  add_library(kiv_sqlite3 INTERFACE)
  target_link_libraries(kiv_sqlite3 INTERFACE SQLite::SQLite3)
endif()
