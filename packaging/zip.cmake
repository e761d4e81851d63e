# Packs the files below BASE/DIR (or below BASE when DIR is empty) into the zip archive OUT,
# named relative to BASE, in sorted order. The list is read when the archive is made, so it
# holds exactly what the folder holds then.
#   cmake -DBASE=<folder> [-DDIR=<subfolder>] -DOUT=<file.zip> -P zip.cmake
if(DIR)
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${BASE} ${BASE}/${DIR}/*)
else()
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${BASE} ${BASE}/*)
endif()
if(NOT files)
  message(FATAL_ERROR "nothing to pack in ${BASE}/${DIR}")
endif()
list(SORT files)
file(REMOVE ${OUT})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${OUT} --format=zip -- ${files}
                WORKING_DIRECTORY ${BASE} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUT})
  message(FATAL_ERROR "could not pack ${BASE}/${DIR} into ${OUT}: ${result}")
endif()
