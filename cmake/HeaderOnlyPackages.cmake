# CLI11 and nlohmann-json, both header-only, as the targets CLI11::CLI11 and
# nlohmann_json::nlohmann_json for the whole tree. A cross build cannot take
# the build machine's include folder (its C and C++ headers are not the
# target's), so it gets a staged copy of just those two headers' folders.
if(CMAKE_CROSSCOMPILING)
  set(CONFKIT_HOST_INCLUDE /usr/include CACHE PATH
      "Folder that holds the build machine's CLI/ and nlohmann/ headers")
  set(staged ${PROJECT_BINARY_DIR}/staged-headers)
  foreach(dir CLI nlohmann)
    if(NOT EXISTS ${CONFKIT_HOST_INCLUDE}/${dir})
      message(FATAL_ERROR "${CONFKIT_HOST_INCLUDE}/${dir} is missing: install CLI11 and nlohmann-json")
    endif()
    file(COPY ${CONFKIT_HOST_INCLUDE}/${dir} DESTINATION ${staged})
  endforeach()
  foreach(target nlohmann_json::nlohmann_json CLI11::CLI11)
    add_library(${target} INTERFACE IMPORTED GLOBAL)
    set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${staged})
  endforeach()
else()
  set(CMAKE_FIND_PACKAGE_TARGETS_GLOBAL ON)
  find_package(nlohmann_json 3 REQUIRED)
  find_package(CLI11 REQUIRED)
  unset(CMAKE_FIND_PACKAGE_TARGETS_GLOBAL)
endif()
