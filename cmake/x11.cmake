# Installed layout and Debian package of the Linux edition (included from
# x11/CMakeLists.txt): the program where the xscreensaver daemon looks for
# screen savers and its settings-dialog description beside the others.
include(GNUInstallDirs)

install(TARGETS korvanthel RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver COMPONENT x11)
install(FILES ${CMAKE_SOURCE_DIR}/x11/korvanthel.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/xscreensaver/config
        COMPONENT x11)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvanthel-x11)
set(CPACK_PACKAGE_VERSION ${KORV_VERSION})
set(CPACK_PACKAGE_VENDOR "Korvanthel")
set(CPACK_PACKAGE_CONTACT "Korvanthel developers <korvanthel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Korvanthel OpenGL screen saver for xscreensaver")
# Debian's description: the summary line, then this text.
set(CPACK_PACKAGE_DESCRIPTION
    "A surface made by inverting circles in the unit circle, painted as a blue\nand green checkerboard by two-sided lighting, beside a red cone and the\nwhite marker of an orbiting light, seen from a slowly tilting and spinning\ncamera. To use it with the xscreensaver daemon, add the line\n  GL: /usr/libexec/xscreensaver/korvanthel --root\nto the programs list of ~/.xscreensaver.")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The daemon that runs it; the package works without it (own-window mode).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xscreensaver, xscreensaver-gl")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Only the Linux edition's files, even if other targets of this tree gain
# install rules later.
set(CPACK_COMPONENTS_ALL x11)
set(CPACK_DEB_COMPONENT_INSTALL OFF)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};Korvanthel;x11;/")
include(CPack)
