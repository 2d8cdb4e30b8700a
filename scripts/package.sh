#!/usr/bin/env bash
# make package: every package into build/packages/ with a SHA256SUMS file:
#   confkit_VERSION_ARCH.deb         from the release build (cpack -G DEB)
#   confkit-proxy-VERSION.tar.gz     the Ansible collection (ansible-galaxy)
#   confkit-VERSION-win64-setup.exe  the installer, from the x86-64 cross
#                                    build (build/win64, made here if missing)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=${JOBS:-2}
out=$root/build/packages
bash scripts/install-deps.sh dpkg-dev nsis g++-mingw-w64-x86-64
rm -rf "$out"
mkdir -p "$out"

cmake --preset release >/dev/null
cmake --build --preset release -j"$jobs"
(cd build/release && rm -rf packages && cpack -G DEB >/dev/null)
cp build/release/packages/*.deb "$out/"

ansible-galaxy collection build ansible --output-path "$out" >/dev/null

if [ ! -f build/win64/CMakeCache.txt ]; then
  cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/x86_64-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCONFKIT_WERROR=ON -DCONFKIT_BUILD_TESTS=OFF -DCONFKIT_BUILD_BENCH=OFF >/dev/null
fi
cmake --build build/win64 -j"$jobs"
bash scripts/windows-installer.sh build/win64 "$out" >/dev/null

(cd "$out" && sha256sum -- * >SHA256SUMS.tmp && mv SHA256SUMS.tmp SHA256SUMS)
echo "packages in build/packages:"
cat "$out/SHA256SUMS"
