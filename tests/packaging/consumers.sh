# Sourced by the install and package tests: builds a C99 consumer of the
# library through pkg-config and through find_package, and a C++ one from
# the installed headers, and runs each on a sample file. The caller sets
# PKG_CONFIG_PATH, CMAKE_PREFIX_PATH and LD_LIBRARY_PATH for an installed
# tree, or nothing for one on the system's own paths.
# usage: check_consumers WORK CONSUMER_SOURCE INCLUDE_DIR
check_consumers() {
  local work=$1 source=$2 include=$3
  expect_output() {
    printf 'Port 8080\r\nPass /a/* /b/*\r\n' >"$work/proxy.conf"
    out=$("$1" "$work/proxy.conf")
    [ "$out" = '<input value="8080">' ] || { echo "unexpected output: $out"; exit 1; }
    grep -q $'^Pass /new/\\* /srv/new/\\*\r$' "$work/proxy.conf" || { echo "rule not added"; exit 1; }
  }
  # shellcheck disable=SC2046 # pkg-config prints separate words
  cc -std=c99 -Wall -Wextra -Wpedantic -Werror "$source/consumer.c" -o "$work/by-pkg-config" \
    $(pkg-config --cflags --libs confkit)
  expect_output "$work/by-pkg-config"
  echo "pkg-config consumer works"

  cmake -S "$source" -B "$work/cmake-build" -G Ninja >/dev/null
  cmake --build "$work/cmake-build" >/dev/null
  expect_output "$work/cmake-build/consumer"
  echo "find_package consumer works"

  # The C++ interface compiles from the installed headers alone.
  [ -f "$include/confkit.hpp" ] || { echo "confkit.hpp not installed"; exit 1; }
  printf '#include <confkit.hpp>\nint main() { return confkit::RecordFields<LDAPRule>::List().size() == 21 ? 0 : 1; }\n' |
    c++ -std=c++17 -Wall -Wextra -Wpedantic -Werror -I"$include" -x c++ - -o "$work/cpp-consumer" \
      $(pkg-config --libs confkit)
  "$work/cpp-consumer"
  echo "C++ headers work"
}
