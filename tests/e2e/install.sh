#!/usr/bin/env bash
# Installs what the browser test needs, when missing: Debian's chromium and
# lighttpd (and openssl, for its password file), and the test's npm packages
# in this folder (playwright-core, @axe-core/playwright).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
missing=()
[ -x /usr/bin/chromium ] || missing+=(chromium)
command -v lighttpd >/dev/null || missing+=(lighttpd)
command -v openssl >/dev/null || missing+=(openssl)
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get -o DPkg::Lock::Timeout=600 update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
fi
if [ ! -d "$here/node_modules/playwright-core" ] || [ ! -d "$here/node_modules/@axe-core/playwright" ]; then
  (cd "$here" && npm ci --no-audit --no-fund)
fi
