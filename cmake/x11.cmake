# Installed layout and Debian package of the Linux edition (included from
# x11/CMakeLists.txt): the program where the xscreensaver daemon looks for
# screen savers, its settings-dialog description beside the others, its
# manual page, and the copyright file and changelog that Debian asks for.
include(GNUInstallDirs)

install(TARGETS korvanthel RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver COMPONENT x11)
# What the scene shows, in the words of docs/scene.txt, which the settings
# description and the package description share (README.md says it too, and
# a test holds the three to the one text).
file(READ ${CMAKE_SOURCE_DIR}/docs/scene.txt KORV_SCENE_DESCRIPTION)
string(STRIP "${KORV_SCENE_DESCRIPTION}" KORV_SCENE_DESCRIPTION)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/scene.txt)
configure_file(${CMAKE_SOURCE_DIR}/x11/korvanthel.xml.in ${CMAKE_CURRENT_BINARY_DIR}/korvanthel.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/korvanthel.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/xscreensaver/config
        COMPONENT x11)

# The manual page (what `man korvanthel` and the settings dialog's
# Documentation button show) and the package's changelog, compressed as
# Debian wants them: gzip -9 without a name or time stamp, so that two builds
# give the same bytes.
set(_korv_gzipped)
foreach(source x11/korvanthel.6x x11/debian/changelog)
  get_filename_component(name ${source} NAME)
  set(gzipped ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
  add_custom_command(OUTPUT ${gzipped}
    COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" gzip ${CMAKE_SOURCE_DIR}/${source} ${gzipped}
    DEPENDS ${CMAKE_SOURCE_DIR}/${source} VERBATIM)
  list(APPEND _korv_gzipped ${gzipped})
endforeach()
add_custom_target(korvanthel_docs ALL DEPENDS ${_korv_gzipped})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/korvanthel.6x.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT x11)
set(_korv_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/korvanthel-x11)
install(FILES ${CMAKE_SOURCE_DIR}/x11/debian/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION ${_korv_doc_dir} COMPONENT x11)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvanthel-x11)
set(CPACK_PACKAGE_VERSION ${KORV_VERSION})
set(CPACK_PACKAGE_VENDOR "Korvanthel")
# The maker's own domain, the one of its home page.
set(CPACK_PACKAGE_CONTACT "Korvanthel developers <korvanthel@korvanthel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Korvanthel OpenGL screen saver for xscreensaver")
# Debian's description: the summary line, then this text.
set(CPACK_PACKAGE_DESCRIPTION
    "${KORV_SCENE_DESCRIPTION}\n.\nTo use it with the xscreensaver daemon, add the line\n  GL: /usr/libexec/xscreensaver/korvanthel --root\nto the programs list of ~/.xscreensaver.")
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
