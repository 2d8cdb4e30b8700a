#!/usr/bin/env bash
# Runs the browser test of the administration page. Exits 77 (skipped) when
# Chromium, what serve.sh needs, node or the test's npm packages are missing,
# so that CTest reports a skip; `make e2e` installs them first.
#   run.sh ADMIN_CGI
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
cgi="${1:?usage: run.sh ADMIN_CGI}"

mapfile -t missing < <(bash "$root/tools/admin/serve.sh" missing)
[ -x /usr/bin/chromium ] || missing+=(chromium)
command -v node >/dev/null || missing+=(node)
for package in playwright-core @axe-core/playwright; do
  [ -d "$here/node_modules/$package" ] || missing+=("$package (npm ci in tests/e2e)")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "skipped: missing ${missing[*]}"
  exit 77
fi

export ADMIN_CGI="$(cd "$(dirname "$cgi")" && pwd)/$(basename "$cgi")"
export ADMIN_SAMPLE="$root/examples/proxy.conf"
export ADMIN_ACL="$root/examples/proxy.acl"
export ADMIN_SERVE="$root/tools/admin/serve.sh"
export ADMIN_ARTIFACTS="${ADMIN_ARTIFACTS:-$root/build/e2e}"
cd "$here"
node --test admin.test.mjs
