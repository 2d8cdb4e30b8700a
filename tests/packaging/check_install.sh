#!/usr/bin/env bash
# Installs the build into a scratch prefix, then builds consumers of the
# library from it (consumers.sh) and runs them on a sample file.
set -euo pipefail
build=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
lib=$(find "$work/prefix" -name 'libconfkit.so.1' -printf '%h\n' | head -1)
include=$(find "$work/prefix" -name confkit.hpp -printf '%h\n' | head -1)
export PKG_CONFIG_PATH="$lib/pkgconfig" CMAKE_PREFIX_PATH="$work/prefix" LD_LIBRARY_PATH="$lib"
. "$(dirname "$0")/consumers.sh"
check_consumers "$work" "$source" "$include"
