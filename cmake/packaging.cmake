# What a user installs: the programs, their manual pages and completion, the desktop entry,
# the udev rule, the licence; and the Debian package made of it (cpack -G DEB).
include(GNUInstallDirs)

set(VQ_GENERATED ${PROJECT_BINARY_DIR}/generated)
set(VQ_MANPAGES)
foreach(program vantorq-cli vantorq)
  if(program STREQUAL "vantorq" AND NOT VQ_BUILD_GUI)
    continue()
  endif()
  if(program STREQUAL "vantorq")
    set(summary "the 630М-Q alarm panel configurator, desktop program")
  else()
    set(summary "the 630М-Q alarm panel configurator, command-line tool")
  endif()
  set(page ${VQ_GENERATED}/man/${program}.1.gz)
  add_custom_command(
    OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VQ_GENERATED}/man
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DNAME=${program} "-DSUMMARY=${summary}"
            -DSECTIONS=${PROJECT_SOURCE_DIR}/resources/man/${program}.sections -DVERSION=${PROJECT_VERSION}
            -DOUTPUT=${page} -P ${PROJECT_SOURCE_DIR}/cmake/manpage.cmake
    DEPENDS ${program} ${PROJECT_SOURCE_DIR}/resources/man/${program}.sections ${PROJECT_SOURCE_DIR}/cmake/manpage.cmake
    COMMENT "Manual page ${program}(1)"
    VERBATIM)
  list(APPEND VQ_MANPAGES ${page})
endforeach()

set(VQ_COMPLETION ${VQ_GENERATED}/completion/vantorq-cli)
add_custom_command(
  OUTPUT ${VQ_COMPLETION}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VQ_GENERATED}/completion
  COMMAND $<TARGET_FILE:vantorq-cli> completion > ${VQ_COMPLETION}
  DEPENDS vantorq-cli
  COMMENT "Bash completion for vantorq-cli")
add_custom_target(vq_docs ALL DEPENDS ${VQ_MANPAGES} ${VQ_COMPLETION})

install(FILES ${VQ_MANPAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${VQ_COMPLETION} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# Debian's layout for a native package: the copyright file beside a compressed changelog.
set(VQ_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/vantorq)
set(VQ_CHANGELOG ${VQ_GENERATED}/changelog.gz)
string(TIMESTAMP VQ_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${VQ_GENERATED}/changelog
     "vantorq (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
     "  * Package built from the VantorQ sources.\n\n"
     " -- The VantorQ developers <vantorq@example.org>  ${VQ_CHANGELOG_DATE}\n")
add_custom_command(
  OUTPUT ${VQ_CHANGELOG}
  COMMAND gzip -9nkf ${VQ_GENERATED}/changelog
  DEPENDS ${VQ_GENERATED}/changelog)
add_custom_target(vq_changelog ALL DEPENDS ${VQ_CHANGELOG})
install(FILES ${VQ_CHANGELOG} DESTINATION ${VQ_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/copyright DESTINATION ${VQ_DOCDIR})

set(CPACK_PACKAGE_NAME vantorq)
set(CPACK_PACKAGE_VENDOR "The VantorQ developers")
set(CPACK_PACKAGE_CONTACT "The VantorQ developers <vantorq@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configurator for the 630M-Q fire and security alarm panel")
set(CPACK_PACKAGE_DESCRIPTION
    "VantorQ reads and writes the configuration of the 630M-Q fire and security\n"
    "alarm panel over USB, edits it page by page, keeps .cfg files, reads the\n"
    "panel's event log into a local database with filters and HTML/xlsx export,\n"
    "and updates the firmware of the panel, the GSM communicator and the relay\n"
    "module. A built-in virtual panel lets everything be tried without hardware.\n"
    "The package holds the desktop program vantorq and the command-line tool\n"
    "vantorq-cli.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/vantorq")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/resources/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
