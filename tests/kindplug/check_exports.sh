#!/usr/bin/env bash
# Compares every dynamic symbol a shared library defines with the names given
# after it: any extra or missing name fails.
set -euo pipefail
lib=$1
shift
want=$(printf '%s\n' "$@" | sort -u)
have=$(nm -D --defined-only "$lib" | awk 'NF >= 3 {print $3}' | sed 's/@.*//' | sort -u)
extra=$(comm -13 <(echo "$want") <(echo "$have"))
missing=$(comm -23 <(echo "$want") <(echo "$have"))
status=0
if [ -n "$extra" ]; then echo "exported but not expected:"; echo "$extra"; status=1; fi
if [ -n "$missing" ]; then echo "expected but not exported:"; echo "$missing"; status=1; fi
echo "$(echo "$have" | grep -c . || true) exported names checked"
exit $status
