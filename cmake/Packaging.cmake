# Installation and the Debian package. The real binary goes to libexec; `kelvado` in games is a
# launcher that runs it in the player's own data directory.
include(GNUInstallDirs)

set(KELVADO_MAINTAINER "The Kelvado developers <developers@kelvado.invalid>" CACHE STRING
    "Maintainer of the Debian package, name and mail address")
# There is no public home yet: the placeholder stands until the repository is published.
set(KELVADO_DOCS_URL "https://kelvado.invalid/docs" CACHE STRING
    "Web address of the repository's docs/ folder, where the metainfo's screenshots are")

set(kelvado_package_dir ${CMAKE_BINARY_DIR}/packaging)
set(kelvado_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/kelvado)

install(TARGETS kelvado RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/kelvado)
# A stripped install (the package's) also drops the compiler's notes, as Debian's dh_strip does.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}/kelvado/kelvado\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()")

# The data files mkassets makes, by name: whatever else lands beside them (a hiscore.dat) is a
# player's and never goes into a package, and the launcher links these names only.
get_directory_property(kelvado_data_files DIRECTORY tools/mkassets DEFINITION kelvado_data_files)
if(NOT kelvado_data_files)
  message(FATAL_ERROR "tools/mkassets names no data files")
endif()
list(JOIN kelvado_data_files " " KELVADO_DATA_NAMES)
configure_file(packaging/kelvado.sh ${kelvado_package_dir}/kelvado @ONLY)
install(PROGRAMS ${kelvado_package_dir}/kelvado DESTINATION games)
list(TRANSFORM kelvado_data_files PREPEND ${KELVADO_DATA_DIR}/)
install(FILES ${kelvado_data_files} DESTINATION ${CMAKE_INSTALL_DATADIR}/kelvado/data)

install(FILES packaging/kelvado.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/kelvado.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
configure_file(packaging/org.kelvado.Kelvado.metainfo.xml
               ${kelvado_package_dir}/org.kelvado.Kelvado.metainfo.xml @ONLY)
install(FILES ${kelvado_package_dir}/org.kelvado.Kelvado.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/copyright DESTINATION ${kelvado_doc_dir})

# Made at build time: the icon at the sizes menus ask for, and the compressed changelog and man
# page (gzip -n: no name or time stamp, so the same sources give the same package).
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(kelvado_generated)
foreach(size 48 64 128 256)
  set(png ${kelvado_package_dir}/icons/${size}/kelvado.png)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${kelvado_package_dir}/icons/${size}
    COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${CMAKE_SOURCE_DIR}/packaging/kelvado.svg
    DEPENDS packaging/kelvado.svg
    VERBATIM)
  list(APPEND kelvado_generated ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

configure_file(packaging/changelog ${kelvado_package_dir}/changelog @ONLY)
foreach(source ${kelvado_package_dir}/changelog ${CMAKE_SOURCE_DIR}/packaging/kelvado.6)
  get_filename_component(name ${source} NAME)
  set(gz ${kelvado_package_dir}/${name}.gz)
  add_custom_command(
    OUTPUT ${gz}
    COMMAND gzip -9n --stdout ${source} > ${gz}
    DEPENDS ${source}
    VERBATIM)
  list(APPEND kelvado_generated ${gz})
endforeach()
add_custom_target(kelvado_package_files ALL DEPENDS ${kelvado_generated})
install(FILES ${kelvado_package_dir}/changelog.gz DESTINATION ${kelvado_doc_dir})
install(FILES ${kelvado_package_dir}/kelvado.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# The board's server, a package of its own from the same run: kelvado-board.
if(TARGET kelvado-board)
  set(board_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/kelvado-board)
  install(FILES packaging/kelvado-board.service DESTINATION /lib/systemd/system COMPONENT board)
  install(FILES packaging/copyright DESTINATION ${board_doc_dir} COMPONENT board)
  install(FILES packaging/kelvado-board.lintian-overrides
          DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME kelvado-board
          COMPONENT board)
  configure_file(packaging/kelvado-board.changelog ${kelvado_package_dir}/board/changelog @ONLY)
  set(board_generated)
  foreach(source ${kelvado_package_dir}/board/changelog ${CMAKE_SOURCE_DIR}/packaging/kelvado-board.8)
    get_filename_component(name ${source} NAME)
    set(gz ${kelvado_package_dir}/board/${name}.gz)
    add_custom_command(
      OUTPUT ${gz}
      COMMAND gzip -9n --stdout ${source} > ${gz}
      DEPENDS ${source}
      VERBATIM)
    list(APPEND board_generated ${gz})
  endforeach()
  add_custom_target(kelvado_board_package_files ALL DEPENDS ${board_generated})
  install(FILES ${kelvado_package_dir}/board/changelog.gz DESTINATION ${board_doc_dir}
          COMPONENT board)
  install(FILES ${kelvado_package_dir}/board/kelvado-board.8.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man8 COMPONENT board)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/kelvado-board\"
        COMMAND_ERROR_IS_FATAL ANY)
    endif()" COMPONENT board)
  set(kelvado_components Unspecified board)
else()
  set(kelvado_components Unspecified)
endif()

set(CPACK_GENERATOR DEB)
# One package for each component: the game's (the install rules without one) and the board's.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${kelvado_components})
set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_NAME kelvado)
set(CPACK_DEBIAN_BOARD_PACKAGE_NAME kelvado-board)
set(CPACK_DEBIAN_BOARD_PACKAGE_SECTION net)
# Each package's summary line and text. CPack would put the one summary of the whole project
# before both, so none is set for the project (its default is not prepended).
file(READ packaging/description game_description)
set(CPACK_DEBIAN_UNSPECIFIED_DESCRIPTION
    "3D arcade game: steer a worm, eat, grow, beat the high scores\n${game_description}")
file(READ packaging/kelvado-board.description board_description)
set(CPACK_DEBIAN_BOARD_DESCRIPTION
    "shared score board of verified Kelvado games (server)\n${board_description}")

set(CPACK_PACKAGE_NAME kelvado)
set(CPACK_PACKAGE_VENDOR "The Kelvado developers")
set(CPACK_PACKAGE_CONTACT ${KELVADO_MAINTAINER})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The rest comes from the binary; SDL opens libGL itself when it makes the GL context.
set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_DEPENDS "libgl1")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SDL's message boxes draw with the X core fonts, and fall back to zenity without them.
set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_RECOMMENDS "xfonts-base | zenity")
include(CPack)
