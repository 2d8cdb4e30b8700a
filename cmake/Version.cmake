# The project version is the one version of everything built here: the
# library's, the programs' --version, the packages' and the collection's.
add_library(confkit_version INTERFACE)
target_compile_definitions(confkit_version INTERFACE CONFKIT_VERSION="${PROJECT_VERSION}")

# On Windows a program or DLL carries the version in a version resource, which
# Explorer and installers show.
if(WIN32)
  enable_language(RC)
endif()
function(confkit_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(CONFKIT_RC_FILE_TYPE VFT_APP)
    set(CONFKIT_RC_FILE_NAME "${target}.exe")
  else()
    set(CONFKIT_RC_FILE_TYPE VFT_DLL)
    set(CONFKIT_RC_FILE_NAME "${target}.dll")
  endif()
  set(CONFKIT_RC_DESCRIPTION "${description}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
