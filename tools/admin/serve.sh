#!/usr/bin/env bash
# Starts or stops the administration page in lighttpd on a free loopback port.
#
#   serve.sh start RUN_DIR CGI CONFIG [ACL]   prints the page's address
#   serve.sh stop RUN_DIR
#   serve.sh config RUN_DIR                   prints the configuration file served
#   serve.sh logs RUN_DIR                     prints the folder of the server's logs
#   serve.sh passwd RUN_DIR                   sets the password (read from stdin)
#   serve.sh missing                          prints the packages serving needs and lacks
#
# RUN_DIR receives the server's configuration, logs, pid file and the password
# file (the logs go to the staged folder below when started as root). Every request needs the user name "admin" and its password: at the
# first start the password is ADMIN_PASSWORD when set, else a random one that
# is printed once. `serve.sh passwd RUN_DIR` sets another (it takes effect at
# the next start). The port is free when the server starts: ADMIN_PORT picks
# one, else a free one is looked for.
#
# Wrong passwords are limited per client address: after ADMIN_GUESS_LIMIT of
# them (default 10) within ADMIN_GUESS_WINDOW seconds (default 60), the
# address is answered 429 until the window has passed, and the lockout is
# written to the error log.
#
# Started as root, lighttpd runs the program as an unprivileged user
# (ADMIN_RUN_AS, else www-data, else nobody). The program, its library and a
# copy of CONFIG and ACL are then staged in a folder that user can reach,
# since the checkout may be out of its reach; `serve.sh config` names the copy.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
page_files="$here/../page"

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

# The Debian packages that serving needs and are not installed, one a line.
missing() {
  local probe
  command -v openssl >/dev/null || echo openssl
  command -v lighttpd >/dev/null || { printf 'lighttpd\nlighttpd-modules-lua\n'; return 0; }
  probe="$(mktemp)"
  printf 'server.modules = ("mod_magnet")\nserver.document-root = "/"\n' >"$probe"
  lighttpd -tt -f "$probe" >/dev/null 2>&1 || echo lighttpd-modules-lua
  rm -f "$probe"
}

port_in_use() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

# Writes the password file from a password on stdin.
write_users() {
  local users="$1" password hash
  IFS= read -r password || true
  [ -n "$password" ] || { echo "the password is empty" >&2; exit 2; }
  hash="$(printf '%s\n' "$password" | openssl passwd -6 -stdin)"
  (umask 077 && printf 'admin:%s\n' "$hash" > "$users")
}

# At the first start: a password file, and the password said once.
ensure_users() {
  local run="$1" password
  [ -s "$run/htpasswd" ] && return 0
  if [ -n "${ADMIN_PASSWORD:-}" ]; then
    printf '%s\n' "$ADMIN_PASSWORD" | write_users "$run/htpasswd"
  else
    password="$(head -c 15 /dev/urandom | base64 | tr '+/' '-_')"
    printf '%s\n' "$password" | write_users "$run/htpasswd"
    echo "The page asks for user admin, password $password (shown this once;" \
      "set your own with: bash tools/admin/serve.sh passwd $run)" >&2
  fi
}

# A whole number of at least 1 from the environment, else the default.
setting() {
  local value="${!1:-$2}"
  [[ "$value" =~ ^[1-9][0-9]{0,8}$ ]] || { echo "$1 must be a whole number from 1: $value" >&2; exit 2; }
  echo "$value"
}

# The security headers of the program's own answers, as a Lua table: those
# of its answer to a method it refuses, less the ones about that answer.
security_headers() {
  local cgi="$1" libs="$2" line name value
  echo "local headers = {"
  while IFS= read -r line; do
    line="${line%$'\r'}"
    [ -n "$line" ] || break
    name="${line%%:*}" value="${line#*: }"
    case "${name,,}" in status | content-type | content-length | allow | set-cookie) continue ;; esac
    [[ "$name" =~ ^[A-Za-z0-9-]+$ && "$value" != *"]=]"* ]] ||
      { echo "$cgi: a header the server cannot repeat: $line" >&2; exit 1; }
    echo "  { \"$name\", [=[$value]=] },"
  done < <(env -i REQUEST_METHOD=OPTIONS LD_LIBRARY_PATH="$libs" "$cgi" </dev/null)
  echo "}"
}

# The server's Lua scripts, with what they are told put above each.
stage_scripts() {
  local site="$1" limit="$2" window="$3" headers
  mkdir -p "$site/magnet"
  headers="$(security_headers "$site/www/admin.cgi" "$site/lib")"
  grep -q '"Content-Security-Policy"' <<<"$headers" ||
    { echo "$site/www/admin.cgi: its answers carry no Content-Security-Policy" >&2; exit 1; }
  { echo "$headers"; cat "$here/answer_headers.lua"; } > "$site/magnet/answer_headers.lua"
  { echo "local limit, window = $limit, $window"; cat "$here/guesses.lua"; } > "$site/magnet/guesses.lua"
  chmod -R a+rX,go-w "$site/magnet"
}

run_as_user() {
  local user="${ADMIN_RUN_AS:-}"
  [ -n "$user" ] || { id -u www-data >/dev/null 2>&1 && user=www-data || user=nobody; }
  echo "$user"
}

# Copies what the server reads into folder: the program and its library,
# the stylesheet and script, and the password file.
stage_site() {
  local site="$1" cgi="$2" users="$3" owner="$4" lib
  mkdir -p "$site/www" "$site/lib"
  cp "$cgi" "$site/www/admin.cgi"
  cp "$page_files/admin.css" "$page_files/admin.js" "$site/www/"
  lib="$(ldd "$cgi" | awk '/libconfkit/ { print $3 }')"
  [ -z "$lib" ] || cp -L "$lib" "$site/lib/$(basename "$lib")"
  chmod -R a+rX,go-w "$site/www" "$site/lib"
  cp "$users" "$site/htpasswd"
  chown "$owner" "$site/htpasswd"
  chmod 0400 "$site/htpasswd"
}

# As root: a folder the unprivileged user reaches, kept across restarts.
stage_dir() {
  local run="$1" user="$2" stage=""
  [ -f "$run/stage" ] && stage="$(cat "$run/stage")"
  if [ -z "$stage" ] || [ ! -d "$stage" ] || [ -L "$stage" ] || [ "$(stat -c %u "$stage")" != 0 ]; then
    stage="$(mktemp -d "${TMPDIR:-/tmp}/confkit-admin.XXXXXX")"
    echo "$stage" > "$run/stage"
  fi
  chmod 0755 "$stage"
  echo "$stage"
}

start() {
  local run="$1" cgi="$2" config="$3" acl="${4:-}"
  local lacking
  lacking="$(missing)"
  [ -z "$lacking" ] || { echo "not installed: ${lacking//$'\n'/ }" >&2; exit 1; }
  [ -x "$cgi" ] || { echo "$cgi: no such program (build it first)" >&2; exit 1; }
  [ -f "$config" ] || { echo "$config: no such file" >&2; exit 1; }
  local limit window
  limit="$(setting ADMIN_GUESS_LIMIT 10)"
  window="$(setting ADMIN_GUESS_WINDOW 60)"
  mkdir -p "$run"
  run="$(cd "$run" && pwd)"
  stop "$run"
  ensure_users "$run"
  config="$(absolute "$config")"
  [ -n "$acl" ] && acl="$(absolute "$acl")"
  local site="$run/site" owner user_lines="" served="$config" logs="$run"
  owner="$(id -un):$(id -gn)"
  if [ "$(id -u)" -eq 0 ]; then
    local user group
    user="$(run_as_user)"
    group="$(id -gn "$user")"
    owner="$user:$group"
    site="$(stage_dir "$run" "$user")"
    mkdir -p "$site/data" "$site/log"
    cp "$config" "$site/data/$(basename "$config")"
    served="$site/data/$(basename "$config")"
    logs="$site/log"
    if [ -n "$acl" ]; then cp "$acl" "$site/data/$(basename "$acl")"; acl="$site/data/$(basename "$acl")"; fi
    chown -R "$owner" "$site/data" "$site/log"
    chmod 0700 "$site/data"
    user_lines="server.username = \"$user\"
server.groupname = \"$group\""
  fi
  stage_site "$site" "$cgi" "$run/htpasswd" "$owner"
  stage_scripts "$site" "$limit" "$window"
  echo "$served" > "$run/config"
  echo "$logs" > "$run/logs"
  local attempt port
  for attempt in $(seq 20); do
    port="${ADMIN_PORT:-$(( 20000 + (RANDOM * 32768 + RANDOM) % 40000 ))}"
    port_in_use "$port" && { [ -n "${ADMIN_PORT:-}" ] && break; continue; }
    cat > "$run/lighttpd.conf" <<CONF
var.admin_port = $port
var.admin_www = "$site/www"
var.admin_run = "$run"
var.admin_logs = "$logs"
var.admin_config = "$served"
var.admin_acl = "$acl"
var.admin_users = "$site/htpasswd"
var.admin_libs = "$site/lib"
var.admin_scripts = "$site/magnet"
$user_lines
include "$here/lighttpd.conf"
CONF
    if lighttpd -f "$run/lighttpd.conf" 2>>"$run/start.log"; then
      for _ in $(seq 50); do port_in_use "$port" && break; sleep 0.1; done
      [ "$served" = "$config" ] || echo "serving a copy of $config: $served (owned by ${owner%%:*})" >&2
      echo "http://127.0.0.1:$port/admin.cgi"
      return 0
    fi
    [ -n "${ADMIN_PORT:-}" ] && break
  done
  echo "lighttpd did not start; see $run/start.log and $logs/error.log" >&2
  exit 1
}

usage="usage: $0 start RUN_DIR CGI CONFIG [ACL] | stop RUN_DIR | config RUN_DIR | logs RUN_DIR | passwd RUN_DIR | missing"
case "${1:-}" in
  start) shift; [ $# -ge 3 ] || { echo "$usage" >&2; exit 2; }; start "$@" ;;
  stop) shift; [ $# -eq 1 ] || { echo "$usage" >&2; exit 2; }; stop "$1" ;;
  missing) missing ;;
  config | logs) [ $# -eq 2 ] || { echo "$usage" >&2; exit 2; }; cat "$2/$1" ;;
  passwd) shift; [ $# -eq 1 ] || { echo "$usage" >&2; exit 2; }; mkdir -p "$1"
          [ -t 0 ] && echo "new password for admin:" >&2
          write_users "$1/htpasswd"; echo "set; it takes effect at the next start" >&2 ;;
  *) echo "$usage" >&2; exit 2 ;;
esac
