# 32-bit Windows, as the program is specified: compiled and checked, not run (the test machines
# cannot execute 32-bit programs).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TRAMSIK_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
