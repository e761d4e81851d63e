# stakmir_warnings(target): the project's warning set, errors when STAKMIR_WERROR is on.
function(stakmir_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wcast-qual -Wformat=2)
  if(STAKMIR_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
