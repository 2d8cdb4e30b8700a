# The Debian package confkit, made by CPack (cpack -G DEB in the build tree):
# everything cmake --install places, under /usr, and the Debian-only files of
# the component "debian" (copyright, changelog, the web server snippet), which
# a plain cmake --install leaves out.
set(debian ${PROJECT_SOURCE_DIR}/packaging/debian)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "confkit authors <confkit-authors@example.org>")

# The release's date comes from the changelog's newest entry, which must be
# this version.
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md newest REGEX "^## \\[[0-9]" LIMIT_COUNT 1)
if(NOT newest MATCHES "^## \\[${PROJECT_VERSION}\\] - ([0-9-]+)$")
  message(FATAL_ERROR "CHANGELOG.md does not start with version ${PROJECT_VERSION}: ${newest}")
endif()
string(SUBSTRING "${CMAKE_MATCH_1}" 0 4 CONFKIT_RELEASE_YEAR)
execute_process(COMMAND date -u -R -d "${CMAKE_MATCH_1} 12:00" OUTPUT_VARIABLE CONFKIT_RELEASE_DATE
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

# The copyright file holds LICENSE as a machine-readable paragraph: every line
# indented, blank ones written as " .".
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE license_lines)
set(CONFKIT_LICENSE_TEXT "")
foreach(line IN LISTS license_lines)
  if(line STREQUAL "")
    set(line ".")
  endif()
  string(APPEND CONFKIT_LICENSE_TEXT " ${line}\n")
endforeach()
string(STRIP "${CONFKIT_LICENSE_TEXT}" CONFKIT_LICENSE_TEXT)
set(CONFKIT_LICENSE_TEXT " ${CONFKIT_LICENSE_TEXT}")
set(staged ${PROJECT_BINARY_DIR}/debian)
configure_file(${debian}/copyright.in ${staged}/copyright @ONLY)
configure_file(${debian}/changelog.in ${staged}/changelog @ONLY)
file(WRITE ${staged}/conffiles "/etc/lighttpd/conf-available/50-confkit-admin.conf\n")

set(docdir ${CMAKE_INSTALL_DATADIR}/doc/confkit)
install(FILES ${staged}/copyright ${staged}/changelog ${PROJECT_SOURCE_DIR}/CHANGELOG.md
        DESTINATION ${docdir} COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${debian}/50-confkit-admin.conf DESTINATION /etc/lighttpd/conf-available
        COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME confkit)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "proxy server configuration tool set")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "The library confkit reads, edits and writes a caching proxy server's text\n"
  "configuration file. confctl edits it from scripts, the administration page\n"
  "(a CGI program, with a lighttpd snippet to enable) edits it from a browser,\n"
  "and cfgmigrate carries old settings into the server.")
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS lighttpd)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The shlibs file and the ldconfig trigger of the library.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The library cache is refreshed by a trigger (CPack's postinst also runs
# ldconfig); postrm drops a dangling link to the web server snippet.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${staged}/conffiles ${debian}/triggers ${debian}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Absolute destinations (/etc) land in the package, not on the build machine.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified man admin debian)
set(CPACK_PRE_BUILD_SCRIPTS ${debian}/compress.cmake)
set(CPACK_OUTPUT_FILE_PREFIX packages)
include(CPack)
