# TRAWL_SANITIZE="address,undefined" or "thread" instruments every target of the build.
if(TRAWL_SANITIZE)
  if(TRAWL_SANITIZE MATCHES "thread" AND TRAWL_SANITIZE MATCHES "address")
    message(FATAL_ERROR "ThreadSanitizer cannot be combined with AddressSanitizer")
  endif()
  add_compile_options(-fsanitize=${TRAWL_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=${TRAWL_SANITIZE})
endif()
