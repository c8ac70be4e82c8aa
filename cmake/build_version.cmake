# Writes base/build_version.h: the project version and, when the sources are a
# git checkout, the commit they were built from. Runs at every build (see
# src/base/CMakeLists.txt); configure_file leaves the header untouched while its
# text stays the same, so a build without a new commit recompiles nothing.
#
# Expects SOURCE_DIR, VERSION, TEMPLATE, OUTPUT and GIT (may be empty).
set(commit "")
if(GIT)
  # Only the project's own checkout counts, not a repository the sources were
  # unpacked into.
  execute_process(COMMAND ${GIT} -C ${SOURCE_DIR} rev-parse --show-toplevel
                  OUTPUT_VARIABLE toplevel OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE status ERROR_QUIET)
  if(status EQUAL 0)
    file(REAL_PATH "${toplevel}" toplevel)
    file(REAL_PATH "${SOURCE_DIR}" source)
    if(toplevel STREQUAL source)
      execute_process(COMMAND ${GIT} -C ${SOURCE_DIR} rev-parse --short=7 HEAD
                      OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE
                      RESULT_VARIABLE status ERROR_QUIET)
      if(NOT status EQUAL 0)
        set(commit "")
      endif()
    endif()
  endif()
endif()
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
