# The libraries every room builds on, found once for the whole tree.
#
# A Windows cross build cannot search the host's /usr/include (its C headers are Linux's), yet
# the header-only libraries there are plain C++: each is offered through a folder that holds
# only its own headers. GoogleTest is compiled from Debian's sources for the target.

function(tramsik_host_headers target)
  set(folder ${CMAKE_BINARY_DIR}/host-headers/${target})
  string(REPLACE "::" "-" folder ${folder})
  foreach(entry ${ARGN})
    if(NOT EXISTS /usr/include/${entry})
      message(FATAL_ERROR "/usr/include/${entry} is missing: run scripts/install-deps")
    endif()
    file(MAKE_DIRECTORY ${folder})
    file(CREATE_LINK /usr/include/${entry} ${folder}/${entry} SYMBOLIC)
  endforeach()
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  target_include_directories(${target} SYSTEM INTERFACE ${folder})
endfunction()

if(CMAKE_CROSSCOMPILING)
  tramsik_host_headers(nlohmann_json::nlohmann_json nlohmann)
  tramsik_host_headers(CLI11::CLI11 CLI)
  # Debian's stb is a compiled library for the host; the target compiles its own decoder.
  tramsik_host_headers(tramsik_stb_headers stb)
  set(stb_source ${CMAKE_BINARY_DIR}/host-headers/stb_image.cpp)
  file(WRITE ${stb_source} "#define STB_IMAGE_IMPLEMENTATION\n#include <stb/stb_image.h>\n")
  add_library(tramsik_stb_image STATIC ${stb_source})
  target_link_libraries(tramsik_stb_image PUBLIC tramsik_stb_headers)
  add_library(PkgConfig::STB ALIAS tramsik_stb_image)
  if(TRAMSIK_TESTS)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  endif()
else()
  find_package(nlohmann_json 3 REQUIRED)
  find_package(CLI11 REQUIRED)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(STB REQUIRED IMPORTED_TARGET GLOBAL stb)
  if(TRAMSIK_TESTS)
    find_package(GTest REQUIRED)
  endif()
endif()
