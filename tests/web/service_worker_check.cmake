# The service worker lists every file of the page and names its store after their content: the
# same files give the same name, one changed byte a new one.
#   cmake -DPAGE_DIR=<page folder> -DWORK_DIR=<scratch folder> -DSOURCE_DIR=<project> -P service_worker_check.cmake
set(template ${SOURCE_DIR}/src/platform/web/sw.js.in)
set(script ${SOURCE_DIR}/src/platform/web/service_worker.cmake)
file(REMOVE_RECURSE ${WORK_DIR})
file(GLOB files ${PAGE_DIR}/*)
file(COPY ${files} DESTINATION ${WORK_DIR})

function(store_name out)
  execute_process(COMMAND ${CMAKE_COMMAND} -DPAGE_DIR=${WORK_DIR} -DTEMPLATE=${template} -P ${script}
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "service_worker.cmake failed")
  endif()
  file(STRINGS ${WORK_DIR}/sw.js line REGEX "^const STORE = ")
  set(${out} "${line}" PARENT_SCOPE)
endfunction()

store_name(first)
store_name(again)
file(APPEND ${WORK_DIR}/index.html " ")
store_name(changed)
if(NOT first STREQUAL again OR first STREQUAL changed)
  message(FATAL_ERROR "store names: '${first}', again '${again}', after a change '${changed}'")
endif()
file(READ ${WORK_DIR}/sw.js worker)
foreach(file ${files})
  get_filename_component(name ${file} NAME)
  if(NOT name STREQUAL "sw.js" AND NOT worker MATCHES "'${name}'")
    message(FATAL_ERROR "sw.js does not keep ${name}")
  endif()
endforeach()
