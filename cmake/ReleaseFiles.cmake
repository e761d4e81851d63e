# The release files of the Windows build and of the web build (the Debian package is made by
# CPack, see Packaging.cmake), each in release/ of its build folder:
#
#   stakmir-<version>-setup.exe        the Windows installer, made by makensis (NSIS)
#   stakmir-<version>-windows-x64.zip  the same files for Windows, to unpack and run
#   stakmir-<version>-web.zip          the page's files, for any static file server
#
# The tests find them through the STAKMIR_* properties of the targets that make them.
set(_release_dir ${CMAKE_BINARY_DIR}/release)
set(_release_src ${CMAKE_SOURCE_DIR}/packaging)
set(_release_name stakmir-${PROJECT_VERSION})

if(EMSCRIPTEN)
  # Packed anew at every build, once the program (stakmir) and the page's other files
  # (stakmir_page) are made: whatever the page folder then holds.
  set(_zip ${_release_dir}/${_release_name}-web.zip)
  add_custom_target(stakmir_page_zip ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_release_dir}
    COMMAND ${CMAKE_COMMAND} -DBASE=${CMAKE_BINARY_DIR}/page -DOUT=${_zip} -P ${_release_src}/zip.cmake
    COMMENT "Packing the page into ${_zip}"
    VERBATIM)
  add_dependencies(stakmir_page_zip stakmir stakmir_page)
  set_target_properties(stakmir_page_zip PROPERTIES STAKMIR_ZIP ${_zip})
  return()
endif()

if(NOT WIN32 OR NOT TARGET stakmir)
  return()
endif()

find_program(STAKMIR_MAKENSIS makensis)
if(NOT STAKMIR_MAKENSIS)
  message(FATAL_ERROR "makensis is missing: run scripts/setup.sh (package nsis)")
endif()

# The files a player gets, staged once for the installer and the zip alike.
set(_stage_name ${_release_name}-windows-x64)
set(_stage ${_release_dir}/${_stage_name})
set(_readme ${CMAKE_BINARY_DIR}/packaging/README.txt)
configure_file(${_release_src}/windows/README.txt.in ${_readme} @ONLY)
file(GLOB _licences CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/LICENSES ${CMAKE_SOURCE_DIR}/LICENSES/*)
set(_staged ${_stage}/stakmir.exe ${_stage}/README.txt ${_stage}/LICENSE.txt)
set(_licence_sources ${CMAKE_SOURCE_DIR}/LICENSE)
set(nsis_install_licences)
set(nsis_delete_licences)
foreach(_name IN LISTS _licences)
  list(APPEND _staged ${_stage}/LICENSES/${_name})
  list(APPEND _licence_sources ${CMAKE_SOURCE_DIR}/LICENSES/${_name})
  string(APPEND nsis_install_licences "  File \"${_stage}/LICENSES/${_name}\"\n")
  string(APPEND nsis_delete_licences "  Delete \"$INSTDIR\\LICENSES\\${_name}\"\n")
endforeach()
add_custom_command(
  OUTPUT ${_staged}
  COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:stakmir> -DSTRIP=${CMAKE_STRIP} -DREADME=${_readme}
          -DSOURCE=${CMAKE_SOURCE_DIR} -DOUT=${_stage} -P ${_release_src}/windows/stage.cmake
  DEPENDS stakmir ${_readme} ${_licence_sources} ${_release_src}/windows/stage.cmake
  COMMENT "Staging the Windows release files in ${_stage}"
  VERBATIM)

# The installer, with the game's icon; Wine and Windows start it only with its execute bit.
set(stage ${_stage})
set(installer ${_release_dir}/${_release_name}-setup.exe)
get_target_property(icon stakmir_resources STAKMIR_ICON_FILE)
configure_file(${_release_src}/windows/stakmir.nsi.in ${_release_dir}/stakmir.nsi @ONLY)
add_custom_command(
  OUTPUT ${installer}
  COMMAND ${STAKMIR_MAKENSIS} -V2 -WX ${_release_dir}/stakmir.nsi
  COMMAND chmod +x ${installer}
  DEPENDS ${_staged} ${_release_dir}/stakmir.nsi ${icon} stakmir
  COMMENT "Making the installer ${installer}"
  VERBATIM)

set(_zip ${_release_dir}/${_stage_name}.zip)
add_custom_command(
  OUTPUT ${_zip}
  COMMAND ${CMAKE_COMMAND} -DBASE=${_release_dir} -DDIR=${_stage_name} -DOUT=${_zip}
          -P ${_release_src}/zip.cmake
  DEPENDS ${_staged} ${_release_src}/zip.cmake
  COMMENT "Packing ${_zip}"
  VERBATIM)

add_custom_target(stakmir_windows_release ALL DEPENDS ${installer} ${_zip})
set_target_properties(stakmir_windows_release PROPERTIES
  STAKMIR_INSTALLER ${installer} STAKMIR_ZIP ${_zip} STAKMIR_STAGE ${_stage})
