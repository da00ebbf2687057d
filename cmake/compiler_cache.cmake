# Compiled objects kept across builds and clean clones by ccache, in the cache folder that
# also keeps the SQLite source and Wine's prefix, so that a clean clone with the caches in
# place compiles nothing that did not change (sqlite3.c alone takes minutes on two cores).
# Paths below the source folder are hashed as relative ones and the folder itself not at
# all, so that another clone finds the objects of this one; the shipped files come out
# the same byte for byte either way (the release's reproducibility test builds twice).
option(KIV_CCACHE "Keep compiled objects with ccache, where it is installed" ON)
find_program(KIV_CCACHE_PROGRAM ccache)
if(KIV_CCACHE AND KIV_CCACHE_PROGRAM)
  execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/cache-folder.sh
                  OUTPUT_VARIABLE cache OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(launcher ${CMAKE_COMMAND} -E env CCACHE_DIR=${cache}/ccache
      CCACHE_BASEDIR=${PROJECT_SOURCE_DIR} CCACHE_NOHASHDIR=1
      "CCACHE_IGNOREOPTIONS=-ffile-prefix-map=*" ${KIV_CCACHE_PROGRAM})
  set(CMAKE_C_COMPILER_LAUNCHER ${launcher})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${launcher})
endif()
