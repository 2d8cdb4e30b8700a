# shellcheck shell=bash
# Sourced by the tests of the page as lighttpd serves it: skips (exit 77) when
# what they need is missing, serves a copy of the sample configuration with
# serve.sh and stops it at exit. After `serve [VAR=value...]`: $url, $base,
# $password, $logs (the server's log folder) and $work (a scratch folder).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
cgi="$(cd "$(dirname "${1:?usage: $0 ADMIN_CGI}")" && pwd)/$(basename "$1")"
mapfile -t missing < <(bash "$root/tools/admin/serve.sh" missing)
command -v curl >/dev/null || missing+=(curl)
if [ ${#missing[@]} -gt 0 ]; then
  echo "skipped: missing ${missing[*]} (bash tests/e2e/install.sh installs them)"
  exit 77
fi

work="$(mktemp -d)"
password="$(head -c 12 /dev/urandom | base64 | tr '+/' '-_')"
cleanup() {
  bash "$root/tools/admin/serve.sh" stop "$work/run" || true
  [ -f "$work/run/stage" ] && rm -rf "$(cat "$work/run/stage")"
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

serve() {
  cp "$root/examples/proxy.conf" "$work/proxy.conf"
  url="$(env "$@" ADMIN_PASSWORD="$password" bash "$root/tools/admin/serve.sh" start "$work/run" \
    "$cgi" "$work/proxy.conf" 2>"$work/start.err")" || { cat "$work/start.err" >&2; fail "no server"; }
  base="${url%admin.cgi}"
  logs="$(bash "$root/tools/admin/serve.sh" logs "$work/run")"
}

# The status of a request (curl arguments), its headers in $work/headers.
status_of() { curl -s -o /dev/null -D "$work/headers" -w '%{http_code}' "$@"; }
