# Packaging: the manual pages and documents a package carries, and CPack's
# Debian package (./run package). The programs' own install rules stand next to
# their targets.

set(RQX340_MAINTAINER "rqx340-import developers <rqx340-import@example.org>")
set(packaging_dir ${PROJECT_SOURCE_DIR}/packaging)

# The changelog's latest entry is the version being built: a new version needs
# its entry.
file(STRINGS ${packaging_dir}/changelog changelog_head LIMIT_COUNT 1)
string(REPLACE "." "\\." version_pattern ${PROJECT_VERSION})
if(NOT changelog_head MATCHES "^rqx340-import \\(${version_pattern}\\) ")
  message(FATAL_ERROR "packaging/changelog: the latest entry is not version ${PROJECT_VERSION}")
endif()

if(UNIX)
  # Manual pages: scdoc sources, turned into roff at build time.
  find_program(SCDOC scdoc)
  set(man_programs rqx340 rqx340-gen zul-refhost)
  if(TARGET rqx340-import)
    list(APPEND man_programs rqx340-import)
  endif()
  if(SCDOC)
    set(man_pages)
    foreach(program ${man_programs})
      set(page ${CMAKE_BINARY_DIR}/man/${program}.1.gz)
      add_custom_command(OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -DSCDOC=${SCDOC} -DINPUT=${packaging_dir}/man/${program}.1.scd
                -DOUTPUT=${page} -P ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
        DEPENDS ${packaging_dir}/man/${program}.1.scd ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/man
        COMMENT "Manual page ${program}(1)"
        VERBATIM)
      list(APPEND man_pages ${page})
    endforeach()
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/man)
    add_custom_target(rqx340_man_pages ALL DEPENDS ${man_pages})
    install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    message(STATUS "scdoc not found: the manual pages are left out (./run deps installs it)")
  endif()

  # The package's documents: the copyright file and the changelog, compressed
  # as Debian keeps them.
  set(changelog ${CMAKE_BINARY_DIR}/changelog.gz)
  add_custom_command(OUTPUT ${changelog}
    COMMAND gzip -9nc ${packaging_dir}/changelog > ${changelog}
    DEPENDS ${packaging_dir}/changelog
    VERBATIM)
  add_custom_target(rqx340_changelog ALL DEPENDS ${changelog})
  install(FILES ${packaging_dir}/copyright ${changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

# The Debian package: rqx340-import_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rqx340-import)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "rqx340-import developers")
set(CPACK_PACKAGE_CONTACT ${RQX340_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
# Stripped by a script of ours, as Debian strips programs (CPACK_STRIP_FILES
# would keep the .comment sections).
set(CPACK_RQX340_STRIP ${CMAKE_STRIP})
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/strip_package.cmake)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${RQX340_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Dependencies as dpkg-shlibdeps finds them in the programs, not a list kept by hand.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Japanese dialog needs a font with Japanese characters; a desktop set up
# for Japanese has one.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "fonts-noto-cjk | fonts-sawarabi-gothic")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "import RQX340 vibration measurements into the ZUL4 host application
Reads the UTF-8 JSON measurement files of the RQX340 hand-held
human-vibration meter, lists a folder's measurements and imports the
chosen ones into the ZUL4 host application through its exchange area.
.
The package holds the import dialog that the host starts
(rqx340-import, in /usr/lib/rqx340-import), the command-line tool
rqx340 (list, convert, dump, info, export, import), and for tests the
reference host zul-refhost and the sample generator rqx340-gen.")
include(CPack)

# The Windows installer: the target rqx340_msi of the Windows build runs wixl
# (Debian's msitools) over packaging/rqx340-import.wxs.in.
if(WIN32)
  find_program(WIXL wixl)
  # wixl takes sources relative to the .wxs file only.
  file(RELATIVE_PATH msi_bin_dir ${CMAKE_BINARY_DIR} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  set(msi_source ${CMAKE_BINARY_DIR}/rqx340-import.wxs)
  set(msi ${CMAKE_BINARY_DIR}/rqx340-import-${PROJECT_VERSION}-x64.msi)
  # A component per language library, each beside the dialog program.
  set(msi_language_components)
  set(msi_language_refs)
  set(msi_language_targets)
  foreach(language ${RQX340_LANGUAGES})
    string(REPLACE "=" ";" language ${language})
    list(GET language 1 library)
    string(APPEND msi_language_components
      "          <Component Id=\"${library}\" Guid=\"*\" Win64=\"yes\">\n"
      "            <File Id=\"${library}.DLL\" Name=\"${library}.DLL\" "
      "Source=\"${msi_bin_dir}/${library}.DLL\" KeyPath=\"yes\"/>\n"
      "          </Component>\n")
    string(APPEND msi_language_refs "      <ComponentRef Id=\"${library}\"/>\n")
    list(APPEND msi_language_targets ${library})
  endforeach()
  configure_file(${packaging_dir}/rqx340-import.wxs.in ${msi_source} @ONLY)
  if(WIXL)
    add_custom_command(OUTPUT ${msi}
      COMMAND ${WIXL} --arch x64 --output ${msi} ${msi_source}
      DEPENDS ${msi_source} rqx340 rqx340-import ${msi_language_targets} zul-refhost rqx340-gen
      COMMENT "Windows installer ${msi}"
      VERBATIM)
    add_custom_target(rqx340_msi DEPENDS ${msi})
  endif()
endif()
