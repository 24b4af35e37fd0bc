# Installed layout of the Linux edition (included from x11/CMakeLists.txt):
# the program where the xscreensaver daemon looks for screen savers, its
# settings-dialog description beside the others, and its manual page. The
# Debian package (debian/) installs these through `make install` and adds
# what Debian asks of every package itself: the copyright file and the
# changelog, and every manual page compressed (dh_compress), so the pages
# are installed here as they are written.
include(GNUInstallDirs)

install(TARGETS korvanthel RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
# What the scene shows, in the words of docs/scene.txt, which the settings
# description and the package description share (README.md says it too, and
# a test holds the three to the one text).
file(READ ${CMAKE_SOURCE_DIR}/docs/scene.txt KORV_SCENE_DESCRIPTION)
string(STRIP "${KORV_SCENE_DESCRIPTION}" KORV_SCENE_DESCRIPTION)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/scene.txt)
configure_file(${CMAKE_SOURCE_DIR}/x11/korvanthel.xml.in ${CMAKE_CURRENT_BINARY_DIR}/korvanthel.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/korvanthel.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/xscreensaver/config)

# The manual page: what `man korvanthel` and the settings dialog's
# Documentation button show.
install(FILES ${CMAKE_SOURCE_DIR}/x11/korvanthel.6x DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
