#!/usr/bin/env bash
# Everything that carries a version carries the project's.
# usage: check_version.sh VERSION SOURCE_DIR CONFCTL CFGMIGRATE PC_FILE LIBRARY
set -uo pipefail
version=$1 source=$2 confctl=$3 cfgmigrate=$4 pc=$5 library=$6
failures=0
says() { # what, the version it says
  if [ "$2" != "$version" ]; then
    echo "FAIL: $1 says [$2], the project is $version"
    failures=$((failures + 1))
  fi
}
says "confctl --version" "$("$confctl" --version | sed 's/^confctl //')"
says "cfgmigrate --version" "$("$cfgmigrate" --version | sed 's/^cfgmigrate //')"
says "ansible/galaxy.yml" "$(sed -n 's/^version: *//p' "$source/ansible/galaxy.yml")"
says "CHANGELOG.md's newest entry" "$(grep -m1 '^## \[[0-9]' "$source/CHANGELOG.md" | sed 's/^## \[\([^]]*\)\].*/\1/')"
says "confkit.pc" "$(sed -n 's/^Version: //p' "$pc")"
says "the library's file name" "$(basename "$(readlink -f "$library")" | sed 's/^libconfkit\.so\.//')"
[ "$failures" -eq 0 ] && echo "every version is $version"
