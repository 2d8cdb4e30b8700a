#!/usr/bin/env bash
# Compares the dynamic symbols a shared library defines with the names its
# public header declares: any extra or missing name fails.
set -euo pipefail
lib=$1 header=$2
want=$(grep -oE 'CONFKIT_CALL [A-Za-z_][A-Za-z0-9_]*\(' "$header" | sed 's/CONFKIT_CALL //; s/($//' | sort -u)
have=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[TWDBRVi]$/ {print $3}' | sed 's/@.*//' | sort -u)
extra=$(comm -13 <(echo "$want") <(echo "$have"))
missing=$(comm -23 <(echo "$want") <(echo "$have"))
status=0
if [ -n "$extra" ]; then echo "exported but not declared:"; echo "$extra"; status=1; fi
if [ -n "$missing" ]; then echo "declared but not exported:"; echo "$missing"; status=1; fi
count=$(echo "$have" | grep -c . || true)
echo "$count exported names checked"
exit $status
