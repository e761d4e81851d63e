# Writes the page's service worker (sw.js) from its template: the list of the page's files and a
# store name made from their content, so that every build with other files is kept anew.
#   cmake -DPAGE_DIR=<page folder> -DTEMPLATE=<sw.js.in> -P service_worker.cmake
file(GLOB page_files RELATIVE ${PAGE_DIR} ${PAGE_DIR}/*)
list(REMOVE_ITEM page_files sw.js)
list(SORT page_files)
set(hashes "")
set(STAKMIR_PAGE_FILES "")
foreach(name IN LISTS page_files)
  file(SHA256 ${PAGE_DIR}/${name} hash)
  string(APPEND hashes "${name} ${hash}\n")
  list(APPEND STAKMIR_PAGE_FILES "'${name}'")
endforeach()
string(SHA256 all "${hashes}")
string(SUBSTRING ${all} 0 16 STAKMIR_PAGE_HASH)
list(JOIN STAKMIR_PAGE_FILES ", " STAKMIR_PAGE_FILES)
configure_file(${TEMPLATE} ${PAGE_DIR}/sw.js @ONLY)
