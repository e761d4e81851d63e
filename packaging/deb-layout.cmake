# Run by CPack on the staged tree of the Debian package, before the package is made:
# Debian keeps games in /usr/games, strips executables of their symbols and of the .comment
# and .note sections, and carries every licence text in the one copyright file of
# /usr/share/doc/stakmir. A plain `cmake --install` keeps bin/, the symbols and the separate
# licence files of share/licenses/stakmir.
set(_root ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
set(_exe ${_root}/bin/stakmir)
if(NOT EXISTS ${_exe})
  message(FATAL_ERROR "the staged package holds no ${_exe}: is the game built?")
endif()

find_program(_strip NAMES strip REQUIRED)
execute_process(COMMAND ${_strip} --remove-section=.comment --remove-section=.note ${_exe}
                RESULT_VARIABLE _result)
if(NOT _result EQUAL 0)
  message(FATAL_ERROR "strip failed on ${_exe}")
endif()

file(MAKE_DIRECTORY ${_root}/games)
file(RENAME ${_exe} ${_root}/games/stakmir)
file(GLOB _left ${_root}/bin/*)
if(NOT _left)
  file(REMOVE_RECURSE ${_root}/bin)
endif()

file(REMOVE_RECURSE ${_root}/share/licenses)
