# Installation and the Debian package.
#
# `cmake --install build` installs the programs with their man pages, and the service's systemd
# unit, system user and data folder declarations; `cpack -G DEB` (run in the build folder) packs
# everything installed into zumeli_<version>_amd64.deb. Every target with an install rule reaches
# the package, so a folder that installs its own files (the desktop client's .desktop file and
# icons) needs no change here.

include(GNUInstallDirs)

set(ZUMELI_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(ZUMELI_PACKAGE_MAINTAINER "Zumeli developers <zumeli@example.org>" CACHE STRING
  "Maintainer named in the Debian package")

# ---- programs and their man pages ----
# Each man page is made at build time from the program's --help, so it never falls behind it.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(ZUMELI_MAN_DIR ${PROJECT_BINARY_DIR}/man)
set(zumeli_programs)
foreach(program zumeli zumeli-cli zumeli-server)
  if(TARGET ${program})
    list(APPEND zumeli_programs ${program})
  endif()
endforeach()

# Checked string and memory functions in optimised builds, as Debian builds its programs; every
# Zumeli target links zumeli_warnings, so the libraries in the programs get them too.
target_compile_options(zumeli_warnings INTERFACE
  $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE>
  $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-D_FORTIFY_SOURCE=2>)

set(zumeli_man_pages)
foreach(program IN LISTS zumeli_programs)
  if(program STREQUAL "zumeli")
    set(summary "push-to-talk walkie-talkie for the desktop")
  elseif(program STREQUAL "zumeli-cli")
    set(summary "push-to-talk client without a window, for scripts, bots and recorders")
  else()
    set(summary "self-hosted push-to-talk service: web API and voice relay")
  endif()
  # A program that gives no --help (the desktop client may start its window instead) gets its
  # page from a written help text.
  set(fallback)
  set(fallback_file)
  if(EXISTS ${ZUMELI_PACKAGING_DIR}/${program}.help)
    set(fallback_file ${ZUMELI_PACKAGING_DIR}/${program}.help)
    set(fallback --fallback ${fallback_file})
  endif()
  set(page ${ZUMELI_MAN_DIR}/${program}.1.gz)
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZUMELI_MAN_DIR}
    COMMAND ${Python3_EXECUTABLE} ${ZUMELI_PACKAGING_DIR}/help-to-man
      --program $<TARGET_FILE:${program}> --name ${program} --summary ${summary}
      --version ${PROJECT_VERSION} --output ${page} ${fallback} --see-also ${zumeli_programs}
    DEPENDS ${program} ${ZUMELI_PACKAGING_DIR}/help-to-man ${fallback_file}
    COMMENT "Writing the man page of ${program}"
    VERBATIM)
  list(APPEND zumeli_man_pages ${page})
  # Relocations resolved at start and then made read-only, as Debian builds its programs.
  target_link_options(${program} PRIVATE -Wl,-z,relro,-z,now)
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The compilers' version notes (.comment) are of no use in an installed program; Debian's
  # packaging drops them too.
  if(CMAKE_OBJCOPY)
    install(CODE "execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\")")
  endif()
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(zumeli_man_pages ALL DEPENDS ${zumeli_man_pages})

# ---- the service: systemd unit, system user, data folder ----
if(TARGET zumeli-server)
  # The unit names the program by the prefix of the installation being made (/usr in the package,
  # /usr/local for a plain `cmake --install`), so it is written at install time.
  set(unit ${PROJECT_BINARY_DIR}/packaging/zumeli-server.service)
  install(CODE "
    set(ZUMELI_SERVER_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zumeli-server\")
    configure_file(\"${ZUMELI_PACKAGING_DIR}/zumeli-server.service.in\" \"${unit}\" @ONLY)")
  install(FILES ${unit}
    DESTINATION lib/systemd/system)
  install(FILES ${ZUMELI_PACKAGING_DIR}/zumeli-server.sysusers
    DESTINATION lib/sysusers.d RENAME zumeli-server.conf)
  install(FILES ${ZUMELI_PACKAGING_DIR}/zumeli-server.tmpfiles
    DESTINATION lib/tmpfiles.d RENAME zumeli-server.conf)
endif()

# ---- what Debian asks of every package: the copyright file and the changelog ----
set(ZUMELI_PACKAGE_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/zumeli)
set(changelog ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${changelog}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
  COMMAND gzip -9nc ${ZUMELI_PACKAGING_DIR}/changelog > ${changelog}
  DEPENDS ${ZUMELI_PACKAGING_DIR}/changelog
  COMMENT "Compressing the package changelog")
add_custom_target(zumeli_package_changelog ALL DEPENDS ${changelog})
install(FILES ${ZUMELI_PACKAGING_DIR}/copyright ${changelog} DESTINATION ${ZUMELI_PACKAGE_DOC_DIR})

file(STRINGS ${ZUMELI_PACKAGING_DIR}/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^zumeli \\(${PROJECT_VERSION}\\) ")
  message(WARNING "packaging/changelog does not start with an entry for version ${PROJECT_VERSION}")
endif()

# ---- the Debian package ----
set(CPACK_PACKAGE_NAME zumeli)
set(CPACK_PACKAGE_VENDOR "Zumeli developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "internet push-to-talk walkie-talkie")
set(CPACK_PACKAGE_DESCRIPTION "Zumeli is an internet push-to-talk walkie-talkie: log in, tune to a numbered
channel, hear whoever holds the floor and talk to everyone on the channel by
holding a button or a hot key.
.
This package holds zumeli-cli, a client without a window for scripts, bots
and recorders, and zumeli-server, the self-hosted service (web API and voice
relay) with a systemd unit that runs it as its own user; the service is not
enabled on installation. When built with the desktop client, it holds that
too.")
set(CPACK_PACKAGE_CONTACT ${ZUMELI_PACKAGE_MAINTAINER})
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${ZUMELI_PACKAGING_DIR}/debian/postinst ${ZUMELI_PACKAGING_DIR}/debian/prerm ${ZUMELI_PACKAGING_DIR}/debian/postrm)
include(CPack)
