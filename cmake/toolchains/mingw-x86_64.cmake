# 64-bit Windows: the build the tests run under Wine.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TRAMSIK_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
