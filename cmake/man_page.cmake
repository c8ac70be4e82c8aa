# Turns one scdoc page into a compressed roff manual page.
# Expects SCDOC, INPUT (page.1.scd) and OUTPUT (page.1.gz).
get_filename_component(roff ${OUTPUT} NAME_WLE)
set(roff ${CMAKE_CURRENT_BINARY_DIR}/${roff})
execute_process(COMMAND ${SCDOC} INPUT_FILE ${INPUT} OUTPUT_FILE ${roff} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "scdoc failed on ${INPUT}")
endif()
# -n: no name or time stamp inside, so the same page gives the same bytes.
execute_process(COMMAND gzip -9nc ${roff} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed on ${roff}")
endif()
