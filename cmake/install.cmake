# SPDX-License-Identifier: GPL-3.0-or-later
# Installing like a desktop program. The game looks for its tunes beside its executable,
# so the executable lives with them in a folder of its own and the command on the PATH is
# a link to it (the game resolves the link to find that folder).
include(GNUInstallDirs)

set(ZORVAT_APP_ID "org.zorvat.Zorvat")
set(ZORVAT_PRIVATE_DIR "${CMAKE_INSTALL_LIBEXECDIR}/zorvat")

install(TARGETS zorvat RUNTIME DESTINATION "${ZORVAT_PRIVATE_DIR}")
install(FILES
  "${PROJECT_SOURCE_DIR}/assets/title.mid"
  "${PROJECT_SOURCE_DIR}/assets/open.mid"
  "${PROJECT_SOURCE_DIR}/assets/readme.htm"
  "${PROJECT_SOURCE_DIR}/assets/readme_en.htm"
  DESTINATION "${ZORVAT_PRIVATE_DIR}")
install(CODE "
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(CREATE_LINK \"../${ZORVAT_PRIVATE_DIR}/zorvat\"
       \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zorvat\" SYMBOLIC)
")

configure_file("${PROJECT_SOURCE_DIR}/assets/zorvat.desktop.in" "${PROJECT_BINARY_DIR}/${ZORVAT_APP_ID}.desktop" @ONLY)
configure_file("${PROJECT_SOURCE_DIR}/assets/zorvat.metainfo.xml.in"
               "${PROJECT_BINARY_DIR}/${ZORVAT_APP_ID}.metainfo.xml" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/${ZORVAT_APP_ID}.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${PROJECT_BINARY_DIR}/${ZORVAT_APP_ID}.metainfo.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
foreach(size IN ITEMS 16 24 32 48 64 128 256)
  install(FILES "${PROJECT_SOURCE_DIR}/assets/icons/zorvat-${size}.png"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps" RENAME "${ZORVAT_APP_ID}.png")
endforeach()

# The licence statement a Debian package carries, where the packaging tools look for it.
install(FILES "${PROJECT_SOURCE_DIR}/assets/copyright" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/zorvat")

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "zorvat")
set(CPACK_PACKAGE_VENDOR "Zorvat developers")
set(CPACK_PACKAGE_CONTACT "Zorvat developers <maintainers@zorvat.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tile-memory puzzle game with a Japanese and English interface")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "zorvat")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION "games")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not found by the library scan: the General MIDI sounds and the Japanese window font.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "timgm6mb-soundfont | fluid-soundfont-gm, fonts-ipafont-gothic")
# The package is the game alone: the ranking server is installed by those who host it.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};Unspecified;/")
include(CPack)

# The ranking server, for those who host the ranking: the program, its systemd unit, and examples
# of its settings and of nginx in front of it, which the host copies to /etc and edits.
if(ZORVAT_BUILD_SERVER)
  install(TARGETS zorvat-rank RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT server)
  configure_file("${PROJECT_SOURCE_DIR}/server/zorvat-rank.service.in" "${PROJECT_BINARY_DIR}/zorvat-rank.service" @ONLY)
  install(FILES "${PROJECT_BINARY_DIR}/zorvat-rank.service" DESTINATION "lib/systemd/system" COMPONENT server)
  install(FILES "${PROJECT_SOURCE_DIR}/docs/zorvat-rank.conf" "${PROJECT_SOURCE_DIR}/docs/nginx-zorvat-rank.conf"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/zorvat-rank" COMPONENT server)
endif()
