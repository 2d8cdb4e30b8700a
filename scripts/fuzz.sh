#!/usr/bin/env bash
# Builds the fuzz targets and runs each for the given number of seconds
# (default 30) from its committed seed corpus. New inputs go to a scratch
# folder, so the committed corpus only changes by hand. Any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for bin in build/fuzz/fuzz/fuzz_*; do
  [ -x "$bin" ] || continue
  name=$(basename "$bin"); name=${name#fuzz_}
  mkdir -p "$work/$name"
  echo "== fuzzing $name for ${seconds}s"
  "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/" "$work/$name" "fuzz/corpus/$name" 2>"$work/$name.log" || {
    tail -50 "$work/$name.log"; echo "fuzz target $name found a fault"; exit 1; }
  grep -E 'stat::number_of_executed_units|stat::average_exec_per_sec' "$work/$name.log" || true
done
