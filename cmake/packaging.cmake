# Installation and packages: on Linux the binary, its manual page and the
# Debian documentation files (a .deb that lintian finds clean); on Windows
# the standalone .exe with README and licence (a zip).
include(GNUInstallDirs)
set(CPACK_PACKAGE_NAME readzemlo)

if(WIN32)
  install(TARGETS ReadZemlo RUNTIME DESTINATION .)
  install(FILES README.md LICENSE DESTINATION .)
else()
  install(TARGETS ReadZemlo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_PACKAGE_NAME})

  # The copyright file in Debian's machine-readable format, its licence text
  # taken from LICENSE: indented, blank lines as " .".
  file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE license_lines)
  list(REMOVE_AT license_lines 0 1 2)  # title, blank, copyright line
  set(license_body "")
  foreach(line IN LISTS license_lines)
    if(line STREQUAL "")
      string(APPEND license_body " .\n")
    else()
      string(APPEND license_body " ${line}\n")
    endif()
  endforeach()
  string(REGEX REPLACE "^ \\.\n" "" license_body "${license_body}")
  file(WRITE ${PROJECT_BINARY_DIR}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ReadZemlo
Upstream-Contact: The ReadZemlo authors <readzemlo@users.noreply.invalid>

Files: *
Copyright: 2026 The ReadZemlo authors
License: Expat

License: Expat
${license_body}")
  install(FILES ${PROJECT_BINARY_DIR}/copyright DESTINATION ${doc_dir})

  # The manual page and the changelog go in gzipped, as Debian wants them;
  # -n keeps the archive the same from build to build.
  configure_file(doc/ReadZemlo.1 ${PROJECT_BINARY_DIR}/ReadZemlo.1 @ONLY)
  find_program(GZIP_PROGRAM gzip)
  if(GZIP_PROGRAM)
    foreach(pair "ReadZemlo.1;${PROJECT_BINARY_DIR}/ReadZemlo.1"
                 "changelog;${PROJECT_SOURCE_DIR}/doc/changelog")
      list(GET pair 0 name)
      list(GET pair 1 source)
      add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${name}.gz
        COMMAND ${GZIP_PROGRAM} -9nc ${source} > ${PROJECT_BINARY_DIR}/${name}.gz
        DEPENDS ${source} VERBATIM)
    endforeach()
    add_custom_target(compressed_docs ALL DEPENDS
      ${PROJECT_BINARY_DIR}/ReadZemlo.1.gz ${PROJECT_BINARY_DIR}/changelog.gz)
    install(FILES ${PROJECT_BINARY_DIR}/ReadZemlo.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${doc_dir})
  else()
    install(FILES ${PROJECT_BINARY_DIR}/ReadZemlo.1
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES doc/changelog DESTINATION ${doc_dir})
  endif()
endif()

set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The ReadZemlo authors")
set(CPACK_PACKAGE_CONTACT "The ReadZemlo authors <readzemlo@users.noreply.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "converts binary daily stock quotation files to CSV tables")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  # The extended description, after the summary as its synopsis, in lines
  # Debian's tools show unwrapped (under 80 columns).
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"ReadZemlo turns day files of daily stock quotations, either plain 32-byte
records or hd1.0 files with packed decimal values, into CSV tables written
beside them, one row per trading day. Every number is exact and the same
on every platform, and a table that could not be written whole, or whose
run was interrupted, is removed rather than left behind.")
  # Dependencies come from the binary's libraries, not from a hand list.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
