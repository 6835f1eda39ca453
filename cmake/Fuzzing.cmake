# TRAWL_FUZZ=ON instruments every target for libFuzzer (coverage) with AddressSanitizer
# and UndefinedBehaviorSanitizer; tests/fuzz adds the fuzzer's driver to its targets.
if(TRAWL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "TRAWL_FUZZ needs clang: configure with CC=clang CXX=clang++")
  endif()
  if(TRAWL_SANITIZE)
    message(FATAL_ERROR "TRAWL_FUZZ brings its own sanitizers: leave TRAWL_SANITIZE empty")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
