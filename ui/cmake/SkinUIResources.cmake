# skinui_add_resources(<target> FUNCTION <name> RESOURCES <id> <type> <file> [<id> <type> <file>...])
# Embeds the files into <target> and defines `const SkinUI::CResourceModule& <name>()`, which
# holds each file as resource (id, type). The bytes are regenerated when a file changes.
set(SKINUI_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/embed_resources.cmake CACHE INTERNAL "")

function(skinui_add_resources target)
  cmake_parse_arguments(R "" "FUNCTION" "RESOURCES" ${ARGN})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${R_FUNCTION}.cpp)
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${R_FUNCTION}.list)
  set(entries "")
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
    list(APPEND depends ${file})
  endforeach()
  file(WRITE ${list_file} "${entries}")
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DLIST=${list_file} -DOUT=${out} -DFUNCTION=${R_FUNCTION}
            -P ${SKINUI_EMBED_SCRIPT}
    DEPENDS ${depends} ${list_file} ${SKINUI_EMBED_SCRIPT}
    COMMENT "Embedding resources for ${target}")
  target_sources(${target} PRIVATE ${out})
endfunction()
