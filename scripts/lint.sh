#!/usr/bin/env bash
# Static checks: clang-tidy (the checks in .clang-tidy, findings are errors)
# and cppcheck over the sources of the three deliverables.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/dev
[ -f "$build/compile_commands.json" ] || cmake --preset dev -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
sources=$(git ls-files 'confkit/*.cpp' 'cfgmigrate/*.cpp' 'kindplug/*.cpp' 'tools/*.cpp' |
  grep -v -E '/(win32|windows)/' || true)
echo "== clang-tidy on $(echo "$sources" | wc -l) files"
mkdir -p build
echo "$sources" | xargs -P 2 -n 4 clang-tidy -p "$build" --quiet >build/clang-tidy.log 2>&1 || true
if grep -qE '(warning|error):' build/clang-tidy.log; then
  grep -E -A3 '(warning|error):' build/clang-tidy.log
  echo "clang-tidy found problems"
  exit 1
fi
echo "== cppcheck"
cppcheck --quiet --error-exitcode=1 --std=c++17 --language=c++ --inline-suppr \
  --enable=warning,performance,portability --suppress=missingIncludeSystem \
  -I confkit -I cfgmigrate -I kindplug -I tools -D__linux__ $sources
echo "static checks clean"
