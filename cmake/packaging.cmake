# What `cmake --install` puts in place and what `cpack` packs: on Linux the
# program in bin/, its manual page and the licence, and a .deb; from the
# MinGW build a .zip of zone2las.exe with the README, the licence and the
# manual page as plain text beside it.
include(GNUInstallDirs)

set(ZONE2LAS_MAN_PAGE ${CMAKE_CURRENT_SOURCE_DIR}/doc/zone2las.1)
set(ZONE2LAS_PACKAGE_CONTACT "the zone2las authors <zone2las@example.org>"
    CACHE STRING "Maintainer named in the .deb")

# A package's folders are rwxr-xr-x whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_PACKAGE_NAME zone2las)
set(CPACK_PACKAGE_VENDOR "the zone2las authors")
set(CPACK_PACKAGE_CONTACT "${ZONE2LAS_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "convert a zone table into LAS 2.0 well-log files")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # Everything in the zip's one folder, next to the program.
  install(TARGETS zone2las RUNTIME DESTINATION .)
  find_program(ZONE2LAS_GROFF groff)
  if(ZONE2LAS_GROFF)
    # Plain text: no bold or underline by overstriking, no escape sequences.
    add_custom_command(
      OUTPUT zone2las.txt
      COMMAND ${ZONE2LAS_GROFF} -man -Tascii -P-cbou ${ZONE2LAS_MAN_PAGE}
              > zone2las.txt
      DEPENDS ${ZONE2LAS_MAN_PAGE}
      VERBATIM)
    add_custom_target(zone2las_manual ALL
      DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/zone2las.txt)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zone2las.txt DESTINATION .)
  else()
    # Without groff the program still builds, but installing or packing it
    # stops here rather than leave the manual page out.
    install(CODE [[message(FATAL_ERROR
      "groff renders the manual page as text: apt-get install groff-base")]])
  endif()
  install(FILES README.md DESTINATION .)
  install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
  set(CPACK_GENERATOR ZIP)
else()
  install(TARGETS zone2las RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)

  # Manual pages and changelogs go in gzipped, with no name or time stamp
  # inside, so that the same sources give the same package bytes.
  find_program(ZONE2LAS_GZIP gzip)
  configure_file(cmake/changelog.in changelog @ONLY)
  if(ZONE2LAS_GZIP)
    set(man_page ${CMAKE_CURRENT_BINARY_DIR}/zone2las.1.gz)
    set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
    add_custom_command(
      OUTPUT ${man_page} ${changelog}
      COMMAND ${ZONE2LAS_GZIP} -9nc ${ZONE2LAS_MAN_PAGE} > ${man_page}
      COMMAND ${ZONE2LAS_GZIP} -9nc ${CMAKE_CURRENT_BINARY_DIR}/changelog
              > ${changelog}
      DEPENDS ${ZONE2LAS_MAN_PAGE} ${CMAKE_CURRENT_BINARY_DIR}/changelog
      VERBATIM)
    add_custom_target(zone2las_manual ALL DEPENDS ${man_page} ${changelog})
  else()
    set(man_page ${ZONE2LAS_MAN_PAGE})
    set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog)
  endif()
  install(FILES ${man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The C and C++ runtimes the program links, as dpkg-shlibdeps finds them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PACKAGE_DESCRIPTION
      "zone2las reads a zone table, one depth interval per line (well, top,
bottom, zone, attribute values), and writes one LAS 2.0 well-log file per
well, with the intervals resampled onto depth rows at a fixed step.")
endif()

include(CPack)
