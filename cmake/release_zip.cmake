# KivSQLite3-<version>-win32.zip: both DLLs, kivhost.exe, README.txt, README.html,
# CHANGELOG.txt, LICENSE.txt and examples\ for authors, and SHA256SUMS beside it; the same byte for
# byte from every build of a commit.
set(KIV_ZIP ${CMAKE_BINARY_DIR}/KivSQLite3-${PROJECT_VERSION}-win32.zip)
file(GLOB KIV_EXAMPLES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/*)
# Their names, for the zip's check (tests/CMakeLists.txt).
set(KIV_EXAMPLE_NAMES)
foreach(example IN LISTS KIV_EXAMPLES)
  get_filename_component(name ${example} NAME)
  list(APPEND KIV_EXAMPLE_NAMES ${name})
endforeach()
add_custom_command(
  OUTPUT ${KIV_ZIP} ${CMAKE_BINARY_DIR}/SHA256SUMS
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/make-release-zip.sh ${KIV_ZIP}
          $<TARGET_FILE:KivSQLite3> $<TARGET_FILE:sqlite3> $<TARGET_FILE:kivhost>
          ${PROJECT_SOURCE_DIR}
  DEPENDS KivSQLite3 sqlite3 kivhost ${PROJECT_SOURCE_DIR}/README.md
          ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_SOURCE_DIR}/LICENSE ${KIV_EXAMPLES}
          ${PROJECT_SOURCE_DIR}/scripts/make-release-zip.sh ${PROJECT_SOURCE_DIR}/scripts/readme-txt.py
          ${PROJECT_SOURCE_DIR}/scripts/readme-html.py
  VERBATIM)
add_custom_target(release_zip ALL DEPENDS ${KIV_ZIP})
