#!/usr/bin/env bash
# Starts or stops the administration page in lighttpd on a free loopback port.
#
#   serve.sh start RUN_DIR CGI CONFIG [ACL]   prints the page's address
#   serve.sh stop RUN_DIR
#
# RUN_DIR receives the server's configuration, document root, logs and pid
# file. The port is free when the server starts: ADMIN_PORT picks one, else
# a free one is looked for.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

absolute() { (cd "$(dirname "$1")" && echo "$(pwd)/$(basename "$1")"); }

stop() {
  local run="$1" pid
  [ -f "$run/lighttpd.pid" ] || return 0
  pid="$(cat "$run/lighttpd.pid")"
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  fi
  rm -f "$run/lighttpd.pid"
}

port_in_use() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

start() {
  local run="$1" cgi="$2" config="$3" acl="${4:-}"
  command -v lighttpd >/dev/null || { echo "lighttpd is not installed" >&2; exit 1; }
  [ -x "$cgi" ] || { echo "$cgi: no such program (build it first)" >&2; exit 1; }
  [ -f "$config" ] || { echo "$config: no such file" >&2; exit 1; }
  mkdir -p "$run/www"
  run="$(cd "$run" && pwd)"
  stop "$run"
  cp "$cgi" "$run/www/admin.cgi"
  config="$(absolute "$config")"
  [ -n "$acl" ] && acl="$(absolute "$acl")"
  local attempt port
  for attempt in $(seq 20); do
    port="${ADMIN_PORT:-$(( 20000 + (RANDOM * 32768 + RANDOM) % 40000 ))}"
    port_in_use "$port" && { [ -n "${ADMIN_PORT:-}" ] && break; continue; }
    cat > "$run/lighttpd.conf" <<CONF
var.admin_port = $port
var.admin_www = "$run/www"
var.admin_run = "$run"
var.admin_config = "$config"
var.admin_acl = "$acl"
include "$here/lighttpd.conf"
CONF
    if lighttpd -f "$run/lighttpd.conf" 2>>"$run/start.log"; then
      for _ in $(seq 50); do port_in_use "$port" && break; sleep 0.1; done
      echo "http://127.0.0.1:$port/admin.cgi"
      return 0
    fi
    [ -n "${ADMIN_PORT:-}" ] && break
  done
  echo "lighttpd did not start; see $run/start.log and $run/error.log" >&2
  exit 1
}

case "${1:-}" in
  start) shift; [ $# -ge 3 ] || { echo "usage: $0 start RUN_DIR CGI CONFIG [ACL]" >&2; exit 2; }; start "$@" ;;
  stop) shift; [ $# -eq 1 ] || { echo "usage: $0 stop RUN_DIR" >&2; exit 2; }; stop "$1" ;;
  *) echo "usage: $0 start RUN_DIR CGI CONFIG [ACL] | stop RUN_DIR" >&2; exit 2 ;;
esac
