# tramsik_program_resources(<target> NAME <file name without .exe> DESCRIPTION <text>
#                           LEVEL <asInvoker|requireAdministrator> [ICON <.ico>])
# Gives a Windows program its version information (the version is the project's), a manifest
# (the execution level, the Windows versions it knows, common controls 6) and, where given, the
# icon 107 that Explorer, the taskbar and shortcuts show.
function(tramsik_program_resources target)
  cmake_parse_arguments(RC "" "NAME;DESCRIPTION;LEVEL;ICON" "" ${ARGN})
  set(RC_EXECUTION_LEVEL ${RC_LEVEL})
  set(RC_ICON_LINE "")
  if(RC_ICON)
    set(RC_ICON_LINE "107 ICON \"${RC_ICON}\"")
  endif()
  foreach(part MAJOR MINOR PATCH TWEAK)
    set(number ${PROJECT_VERSION_${part}})
    if(number STREQUAL "")
      set(number 0)
    endif()
    list(APPEND version_parts ${number})
  endforeach()
  list(JOIN version_parts "." RC_VERSION_DOTS)
  list(JOIN version_parts "," RC_VERSION_COMMAS)

  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}-resources)
  set(RC_MANIFEST ${dir}/${RC_NAME}.manifest)
  set(rc ${dir}/${RC_NAME}.rc)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/manifest.xml.in ${RC_MANIFEST} @ONLY)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/program.rc.in ${rc} @ONLY)
  # windres does not report the files the script names: their changes must recompile it.
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${RC_MANIFEST};${RC_ICON}")
  target_sources(${target} PRIVATE ${rc})
endfunction()
