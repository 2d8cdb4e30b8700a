# A shared library that exports exactly the names of its linker map and is
# installed beside the project's others. On Windows the file carries no "lib"
# prefix (programs load confkit.dll and kindplug.dll by those names); elsewhere
# the map is the version script, and nothing may stay undefined.
function(deliverable_shared_library target map)
  set_target_properties(${target} PROPERTIES LINK_DEPENDS ${map})
  if(WIN32)
    set_target_properties(${target} PROPERTIES PREFIX "")
  else()
    target_link_options(${target} PRIVATE -Wl,--version-script=${map} -Wl,--no-undefined)
  endif()
  install(TARGETS ${target} ${ARGN}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
endfunction()
