# The dialog program's resources are made at build time from one source each:
# res/dialog129.txt (the dialog template) and res/lang/<code>.txt (the texts of
# a language), by scripts/gen_resources.py: the built-in English table, the
# template table, the ".lang" tables of the Qt front end, and the resource
# scripts, icon and bitmaps of the Win32 front end and its language libraries.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(RQX340_GEN_RESOURCES ${PROJECT_SOURCE_DIR}/scripts/gen_resources.py)
set(RQX340_DIALOG_TEMPLATE ${PROJECT_SOURCE_DIR}/res/dialog129.txt)
set(RQX340_LANG_DIR ${PROJECT_SOURCE_DIR}/res/lang)
set(RQX340_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)

# The translations there are, "code=LIBRARY" each (de=ZULRQX340_GER); a new
# translation file is seen at the next build.
file(GLOB rqx340_lang_sources CONFIGURE_DEPENDS ${RQX340_LANG_DIR}/*.txt)
execute_process(
  COMMAND ${Python3_EXECUTABLE} ${RQX340_GEN_RESOURCES} languages ${RQX340_LANG_DIR}
  OUTPUT_VARIABLE languages_out RESULT_VARIABLE languages_status)
if(NOT languages_status EQUAL 0)
  message(FATAL_ERROR "gen_resources.py cannot read the translations in ${RQX340_LANG_DIR}")
endif()
string(REGEX REPLACE "\n$" "" languages_out "${languages_out}")
string(REPLACE "\n" ";" RQX340_LANGUAGES "${languages_out}")

# rqx340_generate(OUTPUT file... COMMAND subcommand args... [DEPENDS file...])
# runs the generator on the template and English, and on what DEPENDS adds.
function(rqx340_generate)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "" "OUTPUT;COMMAND;DEPENDS")
  list(POP_FRONT arg_COMMAND subcommand)
  set(sources)
  if(NOT subcommand MATCHES "^(ico|bmp)$")
    set(sources --template ${RQX340_DIALOG_TEMPLATE} --english ${RQX340_LANG_DIR}/en.txt)
  endif()
  list(GET arg_OUTPUT 0 first)
  get_filename_component(name ${first} NAME)
  add_custom_command(
    OUTPUT ${arg_OUTPUT}
    COMMAND ${Python3_EXECUTABLE} ${RQX340_GEN_RESOURCES} ${subcommand} ${sources} ${arg_COMMAND}
    DEPENDS ${RQX340_GEN_RESOURCES} ${RQX340_DIALOG_TEMPLATE} ${RQX340_LANG_DIR}/en.txt
            ${arg_DEPENDS}
    COMMENT "Making ${name}"
    VERBATIM)
endfunction()
