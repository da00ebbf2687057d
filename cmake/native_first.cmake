# Native comes first: the other builds take what the native preset builds (asan, fuzz
# and bench its SQLite library and shell, win32 its kivhost and module, whose answers the
# Windows tests are compared with). When what a build takes is not there yet,
# configuring it builds those targets of the native preset first, so that every
# workflow preset (cmake --workflow --preset asan, …) runs on a fresh checkout.
#   kiv_native_first(FOLDER FILES file... TARGETS target...)
function(kiv_native_first folder)
  cmake_parse_arguments(N "" "" "FILES;TARGETS" ${ARGN})
  foreach(file IN LISTS N_FILES)
    if(NOT EXISTS ${folder}/${file})
      message(STATUS "${folder}/${file} is missing: building ${N_TARGETS} of the native preset first")
      execute_process(COMMAND ${CMAKE_COMMAND} --preset native
                      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} RESULT_VARIABLE configured
                      OUTPUT_QUIET)
      execute_process(COMMAND ${CMAKE_COMMAND} --build --preset native --target ${N_TARGETS}
                      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} RESULT_VARIABLE built)
      if(NOT configured EQUAL 0 OR NOT built EQUAL 0)
        message(FATAL_ERROR "building ${N_TARGETS} of the native preset failed")
      endif()
      return()
    endif()
  endforeach()
endfunction()
