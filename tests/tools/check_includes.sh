#!/bin/bash
# The programs under tools/ include only the library's public headers, the
# pieces of common/, system headers and headers of tools/ itself.
# Usage: check_includes.sh SOURCE_DIR
set -u
cd "$1" || exit 2
status=0
while IFS=: read -r file _ include; do
    name=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/' <<<"$include")
    case "$name" in
    confkit.h | confkit.hpp | confkit_records.hpp | common/*) continue ;;
    esac
    # A header of tools/ itself: beside the file, or in one of the tools' folders.
    if [ -e "$(dirname "$file")/$name" ] || compgen -G "tools/*/$name" >/dev/null; then
        continue
    fi
    echo "$file includes \"$name\", which is neither public nor in common/ or tools/" >&2
    status=1
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' tools --include='*.cpp' --include='*.h')
exit $status
