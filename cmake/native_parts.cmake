# The parts of the native build that other builds take (KIV_NATIVE_BUILD): asan, fuzz and
# bench its SQLite library and shell, win32 its kivhost and module, whose answers the
# Windows tests are compared with. Configuring another build builds nothing: where a part
# is missing, it stops and names the step that makes it.
#   kiv_native_parts(file...)   files of ${KIV_NATIVE_BUILD}/bin
function(kiv_native_parts)
  foreach(file IN LISTS ARGN)
    if(NOT EXISTS ${KIV_NATIVE_BUILD}/bin/${file})
      message(FATAL_ERROR
        "This build takes ${file} from the native build, ${KIV_NATIVE_BUILD}, which does not "
        "have it yet. Build native first: cmake --workflow --preset native (or make build); "
        "the Makefile's targets do that themselves.")
    endif()
  endforeach()
endfunction()
