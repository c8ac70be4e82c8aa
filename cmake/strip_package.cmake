# CPack runs this on the staged files before it builds the package: the
# programs are stripped as Debian's dh_strip strips them, symbols and the
# .comment and .note sections (the compilers' version strings) alike.
file(GLOB_RECURSE files LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(file ${files})
  if(IS_SYMLINK ${file})
    continue()
  endif()
  file(READ ${file} magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46")
    execute_process(COMMAND ${CPACK_RQX340_STRIP} --remove-section=.comment --remove-section=.note
                            --strip-unneeded ${file}
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "cannot strip ${file}")
    endif()
  endif()
endforeach()
