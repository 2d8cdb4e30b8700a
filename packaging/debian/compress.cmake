# Run by CPack on the staged tree before it is packed: Debian keeps manual
# pages and changelogs compressed, reproducibly (gzip -9n).
file(GLOB_RECURSE staged ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*)
list(FILTER staged INCLUDE REGEX "/usr/share/(man/man[1-8]/[^/]+|doc/confkit/(changelog|CHANGELOG\\.md))$")
foreach(file IN LISTS staged)
  execute_process(COMMAND gzip -9nf ${file} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
