# The Debian package of the Linux programs, made by CPack (scripts/package-linux): tramsik-cli
# and the window's launcher in /usr/bin, the window program itself in /usr/lib/tramsik (started
# through polkit), its desktop entry, icons, AppStream metainfo and polkit action, manual pages
# made from the programs' own help, bash completion, the documentation with the machine-file
# schema, and the metrics units.
if(NOT TRAMSIK_OS STREQUAL linux OR CMAKE_CROSSCOMPILING OR NOT TARGET tramsik)
  return()
endif()

include(GNUInstallDirs)
# Where the project is published: the desktop metadata's address and the reverse-domain name
# of its files come from this one place.
set(TRAMSIK_HOMEPAGE "https://tramsik.example.org")
set(TRAMSIK_APP_ID "org.example.tramsik")
set(CPACK_PACKAGE_CONTACT "Tramsik developers <tramsik@example.org>")
# Not under Debian's multiarch library folder: a program is no library, and the polkit action
# names its path.
set(window_folder lib/tramsik)
# The package's prefix; the launcher, the polkit action and the metrics units name the programs
# by their place in the package.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(TRAMSIK_WINDOW_FOLDER ${CPACK_PACKAGING_INSTALL_PREFIX}/${window_folder})
set(TRAMSIK_WINDOW_PROGRAM ${TRAMSIK_WINDOW_FOLDER}/tramsik)
set(TRAMSIK_CLI_PROGRAM ${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tramsik-cli)

find_program(TRAMSIK_HELP2MAN help2man)
find_program(TRAMSIK_RSVG_CONVERT rsvg-convert)
if(NOT TRAMSIK_HELP2MAN OR NOT TRAMSIK_RSVG_CONVERT)
  message(FATAL_ERROR "help2man and rsvg-convert are missing: run scripts/install-deps")
endif()

set(dist ${PROJECT_SOURCE_DIR}/dist/linux)
set(made ${CMAKE_BINARY_DIR}/dist/linux)
configure_file(${dist}/tramsik.in ${made}/tramsik @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE
               OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
configure_file(${dist}/tramsik.desktop.in ${made}/${TRAMSIK_APP_ID}.desktop @ONLY)
# The release the metadata and the changelog name: the day of the build, or of
# SOURCE_DATE_EPOCH when that is set.
string(TIMESTAMP TRAMSIK_RELEASE_DATE "%Y-%m-%d" UTC)
configure_file(${dist}/tramsik.metainfo.xml.in ${made}/${TRAMSIK_APP_ID}.metainfo.xml @ONLY)
configure_file(${dist}/tramsik.policy.in ${made}/${TRAMSIK_APP_ID}.policy @ONLY)
configure_file(${dist}/postrm.in ${made}/control/postrm @ONLY)

# The metrics units name the program where a hand install puts it; the package's is in /usr/bin.
foreach(unit tramsik-metrics.service tramsik-metrics.timer)
  file(READ ${PROJECT_SOURCE_DIR}/dist/systemd/${unit} text)
  string(REPLACE "/usr/local/bin/tramsik-cli" "${TRAMSIK_CLI_PROGRAM}" text "${text}")
  file(WRITE ${made}/${unit} "${text}")
  list(APPEND units ${made}/${unit})
endforeach()

# The icon in the theme's sizes, from the one drawing the window's icon comes from.
set(icon_source ${PROJECT_SOURCE_DIR}/skin/art/107.svg)
foreach(size 16 32 48 64 128 256)
  set(icon ${made}/icons/${size}/tramsik.png)
  file(MAKE_DIRECTORY ${made}/icons/${size})
  add_custom_command(OUTPUT ${icon}
    COMMAND ${TRAMSIK_RSVG_CONVERT} -w ${size} -h ${size} -o ${icon} ${icon_source}
    DEPENDS ${icon_source} VERBATIM)
  list(APPEND icons ${icon})
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${icon_source} RENAME tramsik.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(man_cli ${made}/tramsik-cli.1.gz)
set(man_window ${made}/tramsik.1.gz)
add_custom_command(OUTPUT ${man_cli}
  COMMAND ${dist}/make-man-page $<TARGET_FILE:tramsik-cli>
          "lists drives, their identity and S.M.A.R.T. health" "tramsik (1)" ${man_cli}
  DEPENDS tramsik-cli ${dist}/make-man-page VERBATIM)
add_custom_command(OUTPUT ${man_window}
  COMMAND ${dist}/make-man-page ${made}/tramsik
          "solid-state drive utility window" "tramsik-cli (1)" ${man_window}
  DEPENDS ${made}/tramsik ${dist}/make-man-page VERBATIM)

# Debian's changelog, which a package must carry; one entry for the version being built.
string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(changelog ${made}/changelog)
file(WRITE ${changelog}
     "tramsik (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
     "  * Tramsik ${PROJECT_VERSION}.\n\n"
     " -- ${CPACK_PACKAGE_CONTACT}  ${changelog_date}\n")
add_custom_command(OUTPUT ${changelog}.gz COMMAND gzip -9nkf ${changelog} DEPENDS ${changelog}
                   VERBATIM)

# Everything the package holds, the programs included, is made by this one target.
add_custom_target(tramsik_package_files ALL DEPENDS ${icons} ${man_cli} ${man_window}
                                                    ${changelog}.gz)
add_dependencies(tramsik_package_files tramsik tramsik-cli)

install(TARGETS tramsik-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${made}/tramsik DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS tramsik RUNTIME DESTINATION ${window_folder})
install(FILES ${made}/${TRAMSIK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${made}/${TRAMSIK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${made}/${TRAMSIK_APP_ID}.policy
        DESTINATION ${CMAKE_INSTALL_DATADIR}/polkit-1/actions)
install(FILES ${man_cli} ${man_window} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${dist}/tramsik-cli.bash RENAME tramsik-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${units} DESTINATION lib/systemd/system)
set(doc ${CMAKE_INSTALL_DATADIR}/doc/tramsik)
install(FILES ${dist}/copyright ${changelog}.gz ${PROJECT_SOURCE_DIR}/README.md
              ${PROJECT_SOURCE_DIR}/docs/cli.md ${PROJECT_SOURCE_DIR}/docs/machine-format.md
              ${PROJECT_SOURCE_DIR}/docs/metrics.md ${PROJECT_SOURCE_DIR}/docs/report.schema.json
              ${PROJECT_SOURCE_DIR}/machines/machine.schema.json
        DESTINATION ${doc})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tramsik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS pkexec)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${made}/control/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TRAMSIK_HOMEPAGE})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "solid-state drive identity, health and migration")
set(CPACK_PACKAGE_DESCRIPTION
    "Tramsik lists the drives of a computer with their identity, capacity,
volumes and S.M.A.R.T. health, and migrates the running system disk onto
another drive so that the new drive boots in its place.

The package holds the window program, which asks for administrator rights
through polkit, and tramsik-cli, which does the same from a terminal with a
JSON report, drive health for Prometheus and machine captures for support.")
include(CPack)
