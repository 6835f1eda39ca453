# Cross-compiling for 64-bit Windows on Debian with mingw-w64. The -posix compilers use the
# posix-thread runtime (winpthreads): the plain ones lack std::thread and std::mutex.
# TRAWL_WINDOWS_DEPS names the prefix that scripts/windows/build-deps.sh installed the
# cross-built libraries into; it is searched like the compiler's own sysroot.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(trawl_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${trawl_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${trawl_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${trawl_mingw}-windres)
set(CMAKE_ASM_NASM_COMPILER nasm)

# Handed on to the test projects CMake compiles while it configures.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TRAWL_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${trawl_mingw})
if(TRAWL_WINDOWS_DEPS)
  list(PREPEND CMAKE_FIND_ROOT_PATH ${TRAWL_WINDOWS_DEPS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything is linked statically: the programs run without any DLL of the toolchain
# (libstdc++, libgcc, winpthreads) beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
