#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail
# locales: localedef and the locale sources, for the test under a Turkish locale.
# libssl-dev: libcrypto, whose SHA-256 the configuration history uses.
packages=(build-essential cmake ninja-build binutils libgtest-dev libgmock-dev googletest
          nlohmann-json3-dev libcli11-dev clang libclang-rt-14-dev clang-tidy cppcheck locales
          scdoc man-db groff-base patch ansible-core python3-pycodestyle yamllint libssl-dev
          lintian)
packages+=("$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
