# Shared by the two Windows toolchains; each sets TRAMSIK_MINGW_TRIPLE before including this.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 6.0)

# The -posix compilers: the default thread model of Debian's mingw-w64 has no std::thread.
set(CMAKE_C_COMPILER ${TRAMSIK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRAMSIK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TRAMSIK_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TRAMSIK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Nothing newer than Vista may slip in; the runtime is linked in, so the programs need no DLL
# beyond Windows' own.
add_compile_definitions(_WIN32_WINNT=0x0600 WINVER=0x0600 UNICODE _UNICODE NOMINMAX)
add_link_options(-static -static-libgcc -static-libstdc++)
