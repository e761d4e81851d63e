# Compresses IN into OUT with gzip -9n: best compression and no name or time stamp in the
# header, as Debian expects of manual pages and changelogs.
# Usage: cmake -DIN=<file> -DOUT=<file.gz> -P gzip.cmake
find_program(GZIP gzip REQUIRED)
execute_process(COMMAND ${GZIP} -9nc INPUT_FILE ${IN} OUTPUT_FILE ${OUT}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUT})
  message(FATAL_ERROR "gzip failed on ${IN}: ${result}")
endif()
