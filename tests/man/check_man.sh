#!/usr/bin/env bash
# The manual pages are installed by cmake --install and render without a
# warning from man.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" --component man >/dev/null
for page in man1/confctl.1 man8/cfgmigrate.8; do
  file="$work/prefix/share/man/$page"
  [ -f "$file" ] || { echo "not installed: $page"; exit 1; }
  MANWIDTH=80 man --warnings -l "$file" >"$work/out" 2>"$work/err"
  if [ -s "$work/err" ]; then
    echo "$page renders with warnings:"; cat "$work/err"; exit 1
  fi
  grep -q '^NAME' "$work/out" || { echo "$page has no NAME section"; exit 1; }
  grep -q '^EXIT STATUS' "$work/out" || { echo "$page has no EXIT STATUS section"; exit 1; }
done
echo "manual pages install and render cleanly"
