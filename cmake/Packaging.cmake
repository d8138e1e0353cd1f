# Installation and the Debian package. The real binary goes to libexec; `kelvado` on the path is
# a launcher that runs it in the player's own data directory.
include(GNUInstallDirs)

install(TARGETS kelvado RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/kelvado)
install(DIRECTORY ${CMAKE_BINARY_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kelvado/data)
install(PROGRAMS packaging/kelvado.sh DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME kelvado)
install(FILES packaging/kelvado.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/kelvado.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvado)
set(CPACK_PACKAGE_VENDOR "Kelvado developers")
set(CPACK_PACKAGE_CONTACT "Kelvado developers <kelvado@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D arcade game: steer a worm, eat, grow, beat the high scores")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsdl2-2.0-0 (>= 2.0.22), libgl1, libglu1-mesa, libopenmpt0")
include(CPack)
