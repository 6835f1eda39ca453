# The programs' heap. On Linux they link jemalloc, set up for transparent huge pages
# (runtime/core/allocator_settings.cpp). A 100,000-entry catalogue is about a million small
# blocks (rows, records, texts); with glibc's heap each new 4 KiB page costs a page fault,
# and on virtual machines a fault costs microseconds: filling such a list took twice as
# long as the work itself. Sanitizer and fuzz builds keep their own allocators.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND TRAWL_SANITIZE STREQUAL "" AND NOT TRAWL_FUZZ)
  set(trawl_jemalloc_default ON)
else()
  set(trawl_jemalloc_default OFF)
endif()
option(TRAWL_JEMALLOC "Link the programs with jemalloc (huge pages for the heap)"
       ${trawl_jemalloc_default})

# Programs link this target; it adds the allocator and its settings, or nothing.
add_library(trawl_allocator INTERFACE)
if(TRAWL_JEMALLOC)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(JEMALLOC REQUIRED IMPORTED_TARGET jemalloc)
  target_sources(trawl_allocator INTERFACE ${PROJECT_SOURCE_DIR}/runtime/core/allocator_settings.cpp)
  target_link_libraries(trawl_allocator INTERFACE PkgConfig::JEMALLOC)
endif()
