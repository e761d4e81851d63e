# Installation in the freedesktop.org layout, and the Debian package made with CPack.
# Included last from the top-level CMakeLists.txt, once every target exists.
#
#   cmake --install build --prefix <dir>       the game, its desktop entry, icons, metadata,
#                                              manual page and licence texts under <dir>
#   cpack --config build/CPackConfig.cmake     build/packages/stakmir_<version>_<arch>.deb

if(WIN32 OR EMSCRIPTEN)
  # The Windows installer and portable zip, or the page as a zip.
  include(${CMAKE_CURRENT_LIST_DIR}/ReleaseFiles.cmake)
  return()
elseif(APPLE)
  return()
endif()

include(GNUInstallDirs)

set(STAKMIR_APP_ID io.github.stakmir.Stakmir)
set(STAKMIR_ICON_SIZES 16 32 48 64 128 256)
set(STAKMIR_MAINTAINER "The Stakmir developers <stakmir@example.org>"
    CACHE STRING "Maintainer named in the Debian package")

set(_pkg_src ${CMAKE_SOURCE_DIR}/packaging)
set(_pkg_out ${CMAKE_BINARY_DIR}/packaging)
set(_pkg_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/stakmir)

# The metadata's newest release, the manual page's header and the changelog's newest entry
# name the version as @PROJECT_VERSION@, filled in here.
foreach(_file ${STAKMIR_APP_ID}.metainfo.xml stakmir.6 changelog)
  configure_file(${_pkg_src}/${_file} ${_pkg_out}/${_file} @ONLY)
endforeach()

# The manual page and the changelog are installed compressed, without a time stamp in the
# gzip header, so that two builds of one source give the same package.
set(_pkg_gz)
foreach(_file stakmir.6 changelog)
  add_custom_command(
    OUTPUT ${_pkg_out}/${_file}.gz
    COMMAND ${CMAKE_COMMAND} -DIN=${_pkg_out}/${_file} -DOUT=${_pkg_out}/${_file}.gz
            -P ${_pkg_src}/gzip.cmake
    DEPENDS ${_pkg_out}/${_file} ${_pkg_src}/gzip.cmake
    COMMENT "Compressing ${_file}"
    VERBATIM)
  list(APPEND _pkg_gz ${_pkg_out}/${_file}.gz)
endforeach()
add_custom_target(stakmir_packaging_files ALL DEPENDS ${_pkg_gz})

if(TARGET stakmir)
  install(TARGETS stakmir RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT stakmir)
  # Full RELRO: the dynamic linker resolves every symbol at start and then makes the
  # relocation tables read-only.
  target_link_options(stakmir PRIVATE LINKER:-z,relro LINKER:-z,now)
endif()

install(FILES ${_pkg_src}/${STAKMIR_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications COMPONENT stakmir)
install(FILES ${_pkg_out}/${STAKMIR_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo COMPONENT stakmir)
foreach(_size IN LISTS STAKMIR_ICON_SIZES)
  install(FILES ${CMAKE_SOURCE_DIR}/data/icons/stakmir-${_size}.png
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${_size}x${_size}/apps
          RENAME ${STAKMIR_APP_ID}.png COMPONENT stakmir)
endforeach()
install(FILES ${_pkg_out}/stakmir.6.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT stakmir)
install(FILES ${_pkg_src}/copyright ${_pkg_out}/changelog.gz
        DESTINATION ${_pkg_docdir} COMPONENT stakmir)

# The licence texts: the project's own and the notices of what is built into the program.
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/licenses/stakmir COMPONENT stakmir)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/LICENSES/
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/licenses/stakmir COMPONENT stakmir)

# The Debian package holds the stakmir component only, installed under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME stakmir)
set(CPACK_PACKAGE_VENDOR "The Stakmir developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${STAKMIR_MAINTAINER})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};stakmir;/")
# Debian keeps games in /usr/games: packaging/deb-layout.cmake moves the executable there
# in the staged tree and strips it as Debian's own tools do.
set(CPACK_PRE_BUILD_SCRIPTS ${_pkg_src}/deb-layout.cmake)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "falling-block puzzle game with sharp, enlarged pixels")
set(CPACK_PACKAGE_DESCRIPTION "Stakmir is a puzzle game for the desktop. Pieces of four cells, of seven
kinds, fall into a well ten cells wide and twenty deep. Shift them, turn
them, speed them up or slam them down: every row filled completely is
removed for points. The score sets the level, and the level sets the speed,
the background and some of the colours.
.
The game is played with the keyboard or a gamepad, in one window without a
title bar, or fullscreen. Its picture of 480 by 320 pixels, drawn with
OpenGL, is enlarged by a whole number to suit the screen (twice on a 1920 by
1080 screen). It pauses with P, or while its window is not active. It takes
no options, needs no network and keeps nothing between runs.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${STAKMIR_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/stakmir/stakmir)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps finds the libraries the executable links; SDL opens the GLX library
# (libGL.so.1) itself at run time when it creates the OpenGL context, so that one is named here.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libgl1)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
