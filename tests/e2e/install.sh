#!/usr/bin/env bash
# Installs what the tests of the served page need, when missing: what
# serve.sh needs (lighttpd, its Lua module, openssl for the password file),
# curl and lua5.4 for the server tests, Debian's chromium, and the browser
# test's npm packages in this folder (playwright-core, @axe-core/playwright).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
mapfile -t missing < <(bash "$here/../../tools/admin/serve.sh" missing)
[ -x /usr/bin/chromium ] || missing+=(chromium)
command -v curl >/dev/null || missing+=(curl)
command -v lua5.4 >/dev/null || missing+=(lua5.4)
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
