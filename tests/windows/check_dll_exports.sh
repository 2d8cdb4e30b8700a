#!/usr/bin/env bash
# Compares the names in a DLL's export table (objdump -p) with the names its
# public header declares (--header FILE) or with the names given: any extra,
# missing or decorated name fails.
# usage: check_dll_exports.sh OBJDUMP DLL (--header HEADER | NAME...)
set -euo pipefail
objdump=$1 dll=$2
shift 2
if [ "${1:-}" = --header ]; then
  want=$(grep -oE '_CALL [A-Za-z_][A-Za-z0-9_]*\(' "$2" | sed 's/_CALL //; s/($//' | sort -u)
else
  want=$(printf '%s\n' "$@" | sort -u)
fi
# The name table follows the line "[Ordinal/Name Pointer] Table" and ends at
# the first empty line; each entry reads "[ n] Name" (binutils may add an
# "+base[ m]" column before the name).
have=$("$objdump" -p "$dll" |
  awk '/\[Ordinal\/Name Pointer\] Table/ {on = 1; next} on && NF == 0 {on = 0} on {print $NF}' |
  sort -u)
if [ -z "$have" ]; then echo "no export name table in $dll"; exit 1; fi
extra=$(comm -13 <(echo "$want") <(echo "$have"))
missing=$(comm -23 <(echo "$want") <(echo "$have"))
status=0
if [ -n "$extra" ]; then echo "exported but not declared:"; echo "$extra"; status=1; fi
if [ -n "$missing" ]; then echo "declared but not exported:"; echo "$missing"; status=1; fi
echo "$(echo "$have" | grep -c .) exported names checked in $(basename "$dll")"
exit $status
