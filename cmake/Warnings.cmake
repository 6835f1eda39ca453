# trawl_warnings(target): the project's warning level for its own code.
function(trawl_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-unused-parameter)
endfunction()
