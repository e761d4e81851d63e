# Stages the files a Windows player gets, in the installer and in the portable zip alike:
# stakmir.exe stripped of its symbols, and the read-me and the licence texts with Windows line
# ends. Run at build time:
#   cmake -DEXE=<stakmir.exe> -DSTRIP=<strip> -DREADME=<README.txt> -DSOURCE=<source dir>
#         -DOUT=<folder> -P stage.cmake
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT}/LICENSES)

execute_process(COMMAND ${STRIP} --strip-all -o ${OUT}/stakmir.exe ${EXE} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "strip failed on ${EXE}: ${result}")
endif()

# Copies a text file with CR LF line ends, which every Windows editor shows as lines.
function(copy_text in out)
  file(READ ${in} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${out} "${text}")
endfunction()

copy_text(${README} ${OUT}/README.txt)
copy_text(${SOURCE}/LICENSE ${OUT}/LICENSE.txt)
file(GLOB licences RELATIVE ${SOURCE}/LICENSES ${SOURCE}/LICENSES/*)
foreach(name IN LISTS licences)
  copy_text(${SOURCE}/LICENSES/${name} ${OUT}/LICENSES/${name})
endforeach()
