#!/usr/bin/env bash
# Builds the Windows installer from a cross-built tree (build/win64 by
# default) with NSIS: stages what cmake --install places (confctl.exe among
# it), the manual pages as text, LICENSE and
# CHANGELOG.md, writes the list of files for the installer and the
# uninstaller, and runs makensis. Prints the installer's path.
# usage: windows-installer.sh [BUILD_DIR [OUTPUT_DIR]]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath "${1:-build/win64}")
out=$(realpath -m "${2:-build/packages}")
command -v makensis >/dev/null || bash scripts/install-deps.sh nsis >&2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "not a configured build tree: $build" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage=$work/stage
cmake --install "$build" --prefix "$stage" --strip >/dev/null
for page in man/*.scd; do
  name=$(basename "$page" .scd)
  mkdir -p "$stage/share/man"
  # Text with CR LF line ends, as Windows editors show it.
  scdoc <"$page" | MANWIDTH=80 man -l - 2>/dev/null | col -bx | sed 's/$/\r/' \
    >"$stage/share/man/$name.txt"
done
cp LICENSE CHANGELOG.md "$stage/"

# The macros: every folder and file, installed in order, removed in reverse.
winpath() { printf '%s' "${1//\//\\}"; }
{
  echo '!macro InstallFiles'
  (cd "$stage" && find . -type f | sort) | while read -r file; do
    file=${file#./}
    dir=$(dirname "$file")
    [ "$dir" = . ] && dir="" || dir="\\$(winpath "$dir")"
    printf '  SetOutPath "$INSTDIR%s"\n  File "%s"\n' "$dir" "$stage/$file"
  done
  echo '  SetOutPath "$INSTDIR"'
  echo '!macroend'
  echo '!macro RemoveFiles'
  (cd "$stage" && find . -type f | sort) | while read -r file; do
    printf '  Delete "$INSTDIR\\%s"\n' "$(winpath "${file#./}")"
  done
  (cd "$stage" && find . -mindepth 1 -type d | sort -r) | while read -r dir; do
    printf '  RMDir "$INSTDIR\\%s"\n' "$(winpath "${dir#./}")"
  done
  echo '!macroend'
} >"$work/files.nsh"

mkdir -p "$out"
installer=$out/confkit-$version-win64-setup.exe
makensis -V2 -DVERSION="$version" -DFILES="$work/files.nsh" -DOUTFILE="$installer" \
  -DLICENSE="$root/LICENSE" packaging/windows/confkit.nsi >&2
echo "$installer"
