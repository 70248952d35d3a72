# sillabor_warnings(<target>): the warning flags of our own targets.
function(sillabor_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(SILLABOR_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
