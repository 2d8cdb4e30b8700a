#!/usr/bin/env bash
# Builds the three deliverables and confctl for Windows with MinGW-w64 and runs the tests
# on the Windows API under Wine:
#   1. installs the cross compilers and Wine when missing;
#   2. cross-builds GoogleTest and the x86-64 tree (build/win64);
#   3. runs CTest under Wine in a fresh prefix, with a persistent wineserver,
#      and checks that the expected tests ran (a program Wine cannot start
#      may exit 0 without output);
#   4. builds the installer from that tree into build/packages and runs it
#      under Wine in a prefix of its own (install, use, uninstall);
#   5. builds the i686 tree (build/win32), whose compile-time checks pin the
#      32-bit layouts, and checks its DLLs' export tables.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=${JOBS:-2}

# --- 1. packages -------------------------------------------------------------
packages=(g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 nsis)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  echo "installing: ${missing[*]}"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi
bash scripts/install-deps.sh # cmake, ninja, and the GoogleTest sources

# --- Wine: a fresh prefix and one server for the whole run -------------------
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/confkit-wine-XXXXXX)
# No Mono or Gecko install prompts; no debugger started for the crashes that
# death tests cause on purpose.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export WINEARCH=win64
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
wineserver -p
# Creates the prefix and starts Wine's services, so that no test waits for
# them; their messages go to a log.
wine wineboot --init >"$WINEPREFIX/wineboot.log" 2>&1

# --- 2. x86-64 tree -----------------------------------------------------------
toolchain64=$root/cmake/toolchains/x86_64-w64-mingw32.cmake
gtest=$root/build/win64-gtest
if [ ! -f "$gtest/prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$gtest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain64" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$gtest/prefix" >/dev/null
  cmake --build "$gtest" -j"$jobs" >/dev/null
  cmake --install "$gtest" >/dev/null
fi
cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain64" \
  -DCMAKE_BUILD_TYPE=Debug -DCONFKIT_WERROR=ON -DCONFKIT_BUILD_BENCH=OFF \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v wine)" \
  -DCMAKE_FIND_ROOT_PATH="$gtest/prefix" -DGTest_DIR="$gtest/prefix/lib/cmake/GTest" >/dev/null
cmake --build build/win64 -j"$jobs"

# --- 3. the tests under Wine ----------------------------------------------------
ctest --test-dir build/win64 --timeout 120 --no-tests=error --output-on-failure -j"$jobs" |
  tee build/win64/ctest.log
# Tests of every program and script must have run and passed: a program that
# cannot start under Wine may list no tests at all without failing.
expected=(
  HTTPDConfigOpen.SplitsTheFileIntoLines          # confkit_document_tests
  TextModeDecoder.GivesWhatByteAtATimeReadingGivesAtAnyBlockSize  # common_tests
  ReplaceFile.OnlyNamesOfNewFilesOfTheTargetTellAProcess  # common_platform_tests
  WindowsTextMode.ReadsCrLfAsNewlineAndStopsAtCtrlZ  # windows_platform_tests
  RegistryValues.AsksForTheSizeThenFetchesTheString
  WindowsCommand.FallsBackToCmdOnceWhenComspecNamesNothing
  KindplugDll.HostFindsBothExportsByTheirPlainNames  # windows_load_tests
  ConfkitDll.CallerReleasesWhatTheLibraryAllocatesWithItsOwnFree
  ConfkitHpp.DocumentsOpenEditWriteAndClose      # confkit_cpp_tests
  ParamsCheck.WorkedExamples                      # kindplug_tests
  ConfctlWindowsLock.WritersWaitForAnyHolderAndReadersShareTheLock  # confctl_tests
  ConfctlWindowsStdio.InputAndOutputAreBytes
  ConfctlRecord.EverySaveRecordsOneRevision
  History.RecordsEachSaveAfterTheFileBeforeAndWhatChangedOutside  # tools_configfile_tests
  confkit_dll_exports kindplug_dll_exports cfgmigrate_wine_end_to_end
)
for name in "${expected[@]}"; do
  if ! grep -Eq "Test +#[0-9]+: ${name//./\\.} \\.+ +Passed" build/win64/ctest.log; then
    echo "expected test did not pass: $name"
    exit 1
  fi
done
grep -Eq '^100% tests passed, 0 tests failed out of [1-9]' build/win64/ctest.log

# --- 4. the installer, from the tree just tested ------------------------------
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/win64/CMakeCache.txt)
installer=$(bash scripts/windows-installer.sh build/win64 build/packages)
(unset WINEPREFIX; bash tests/windows/installer_end_to_end.sh "$installer" "$version" "$root")

# --- 5. i686 tree: compile, layout checks, export tables --------------------------
toolchain32=$root/cmake/toolchains/i686-w64-mingw32.cmake
cmake -S . -B build/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain32" \
  -DCMAKE_BUILD_TYPE=Debug -DCONFKIT_WERROR=ON -DCONFKIT_BUILD_TESTS=OFF \
  -DCONFKIT_BUILD_BENCH=OFF >/dev/null
cmake --build build/win32 -j"$jobs"
bash tests/windows/check_dll_exports.sh i686-w64-mingw32-objdump build/win32/bin/confkit.dll \
  --header confkit/confkit.h
bash tests/windows/check_dll_exports.sh i686-w64-mingw32-objdump build/win32/bin/kindplug.dll \
  Params_load Params_check
echo "Windows builds and tests passed"
