# skinui_add_resources(<target> FUNCTION <name> RESOURCES <id> <type> <file> [<id> <type> <file>...])
# Makes the files resources (id, type) of every program that links <target> and defines
# `const SkinUI::CResourceModule& <name>()`, which serves them. On Windows they become resources
# of the executable (a resource script each program compiles); elsewhere the bytes are embedded
# as arrays. Either is regenerated when a file changes.
set(SKINUI_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/embed_resources.cmake CACHE INTERNAL "")

function(skinui_add_resources target)
  cmake_parse_arguments(R "" "FUNCTION" "RESOURCES" ${ARGN})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${R_FUNCTION}.cpp)
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${R_FUNCTION}.list)
  set(entries "")
  set(script "")
  set(depends "")
  list(LENGTH R_RESOURCES count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 3)
    math(EXPR t "${i} + 1")
    math(EXPR f "${i} + 2")
    list(GET R_RESOURCES ${i} id)
    list(GET R_RESOURCES ${t} type)
    list(GET R_RESOURCES ${f} file)
    get_filename_component(file ${file} ABSOLUTE)
    string(APPEND entries "${id}|${type}|${file}\n")
    string(TOUPPER "${type}" upper_type)
    string(APPEND script "${id} ${upper_type} \"${file}\"\n")
    list(APPEND depends ${file})
  endforeach()
  if(TRAMSIK_OS STREQUAL win32)
    _skinui_executable_resources(${target} ${R_FUNCTION} "${script}" "${depends}")
    return()
  endif()
  file(WRITE ${list_file} "${entries}")
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DLIST=${list_file} -DOUT=${out} -DFUNCTION=${R_FUNCTION}
            -P ${SKINUI_EMBED_SCRIPT}
    DEPENDS ${depends} ${list_file} ${SKINUI_EMBED_SCRIPT}
    COMMENT "Embedding resources for ${target}")
  target_sources(${target} PRIVATE ${out})
endfunction()

# Windows: the resource script goes into an object library of its own whose object is linked
# into every program that links <target>, once, and never into a static library on the way (a
# static library would keep it where the linker never looks: it defines no symbol).
function(_skinui_executable_resources target function script depends)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${function}.rc)
  set(cpp ${CMAKE_CURRENT_BINARY_DIR}/${function}.cpp)
  file(CONFIGURE OUTPUT ${rc} @ONLY
       CONTENT "// Generated from the resource list; do not edit.\n${script}")
  file(CONFIGURE OUTPUT ${cpp} CONTENT "// Generated; do not edit.
#include \"ui/backend/win32/executable_resources.h\"

const SkinUI::CResourceModule& ${function}() {
    static const SkinUI::CExecutableResources resources;
    return resources;
}
" @ONLY)
  # windres does not see the files the script names: a changed image must recompile it.
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${depends}")
  add_library(${function}_rc OBJECT ${rc})
  target_sources(${target} PRIVATE ${cpp})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL EXECUTABLE)
    target_link_libraries(${target} PRIVATE tramsik_ui_win32_resources ${function}_rc)
  else()
    target_link_libraries(${target} PUBLIC tramsik_ui_win32_resources
                          INTERFACE $<TARGET_OBJECTS:${function}_rc>)
  endif()
endfunction()
