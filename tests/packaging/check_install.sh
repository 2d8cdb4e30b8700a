#!/usr/bin/env bash
# Installs the build into a scratch prefix, then builds a C99 consumer of the
# library twice, once through pkg-config and once through find_package, and
# runs both on a sample file.
set -euo pipefail
build=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
lib=$(find "$work/prefix" -name 'libconfkit.so.1' -printf '%h\n' | head -1)

expect_output() {
  printf 'Port 8080\r\nPass /a/* /b/*\r\n' >"$work/proxy.conf"
  out=$(LD_LIBRARY_PATH="$lib" "$1" "$work/proxy.conf")
  [ "$out" = '<input value="8080">' ] || { echo "unexpected output: $out"; exit 1; }
  grep -q $'^Pass /new/\\* /srv/new/\\*\r$' "$work/proxy.conf" || { echo "rule not added"; exit 1; }
}

export PKG_CONFIG_PATH="$lib/pkgconfig"
cc -std=c99 -Wall -Wextra -Wpedantic -Werror "$source/consumer.c" -o "$work/by-pkg-config" \
  $(pkg-config --cflags --libs confkit)
expect_output "$work/by-pkg-config"
echo "pkg-config consumer works"

cmake -S "$source" -B "$work/cmake-build" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
expect_output "$work/cmake-build/consumer"
echo "find_package consumer works"

# The C++ interface compiles from the installed headers alone.
include=$(find "$work/prefix" -name confkit.hpp -printf '%h\n' | head -1)
[ -n "$include" ] || { echo "confkit.hpp not installed"; exit 1; }
printf '#include <confkit.hpp>\nint main() { return confkit::RecordFields<LDAPRule>::List().size() == 21 ? 0 : 1; }\n' |
  c++ -std=c++17 -Wall -Wextra -Wpedantic -Werror -I"$include" -x c++ - -o "$work/cpp-consumer" \
    -L"$lib" -lconfkit
LD_LIBRARY_PATH="$lib" "$work/cpp-consumer"
echo "C++ headers work"
