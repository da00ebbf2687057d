# KivSQLite3-<version>-win32.zip: both DLLs, kivhost.exe and README.txt for authors.
set(KIV_ZIP ${CMAKE_BINARY_DIR}/KivSQLite3-${PROJECT_VERSION}-win32.zip)
add_custom_command(
  OUTPUT ${KIV_ZIP}
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/make-release-zip.sh ${KIV_ZIP}
          $<TARGET_FILE:KivSQLite3> $<TARGET_FILE:sqlite3> $<TARGET_FILE:kivhost>
          ${PROJECT_SOURCE_DIR}/README.md
  DEPENDS KivSQLite3 sqlite3 kivhost ${PROJECT_SOURCE_DIR}/README.md
          ${PROJECT_SOURCE_DIR}/scripts/make-release-zip.sh
  VERBATIM)
add_custom_target(release_zip ALL DEPENDS ${KIV_ZIP})
