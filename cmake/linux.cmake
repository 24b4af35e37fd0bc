# Installed layout of the Linux edition (included from linux/CMakeLists.txt):
# the program on PATH, where an idle daemon's command line finds it, and
# under the same name where the xscreensaver daemon looks for screen savers;
# its settings-dialog description beside the others, and its manual page. The
# Debian package (debian/) installs these through `make install` and adds
# what Debian asks of every package itself: the copyright file and the
# changelog, and every manual page compressed (dh_compress), so the pages
# are installed here as they are written.
include(GNUInstallDirs)

install(TARGETS korvanthel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The daemon's folder holds a relative link to it (the settings dialog and a
# hand-written list entry name that path), made under the prefix of the
# install.
file(RELATIVE_PATH korv_to_program /prefix/${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver
     /prefix/${CMAKE_INSTALL_BINDIR}/korvanthel)
install(CODE "
  set(folder \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver\")
  file(MAKE_DIRECTORY \"\${folder}\")
  message(STATUS \"Installing: \${folder}/korvanthel -> ${korv_to_program}\")
  file(CREATE_LINK ${korv_to_program} \"\${folder}/korvanthel\" SYMBOLIC)")
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
install(FILES ${CMAKE_SOURCE_DIR}/linux/korvanthel.6x DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
