#!/usr/bin/env bash
# Every answer of the served page, the server's own refusals included, carries
# the security headers once, with the values of the program's own page.
#   headers_test.sh ADMIN_CGI
# shellcheck source=served.sh
source "$(dirname "$0")/served.sh"
serve ADMIN_GUESS_LIMIT=1

# The value of header $1 in the headers file $2 ("" when absent, "*" twice).
header() {
  local lines
  lines="$(tr -d '\r' <"$2" | grep -i "^$1: " | sed 's/^[^:]*: //')" || true
  [ "$(grep -c . <<<"$lines")" -le 1 ] && echo "$lines" || echo "*"
}

# Read whole before the headers are cut off: sed quitting early would end the
# program with SIGPIPE, which pipefail turns into a failure.
env -i REQUEST_METHOD=GET SCRIPT_NAME=/admin.cgi CONFKIT_ADMIN_CONFIG="$work/proxy.conf" "$cgi" \
  </dev/null >"$work/answer"
sed '/^\r$/q' "$work/answer" >"$work/program"
names=(Content-Security-Policy X-Content-Type-Options X-Frame-Options Cache-Control Referrer-Policy)
for name in "${names[@]}"; do
  [ -n "$(header "$name" "$work/program")" ] || fail "the program's page has no $name"
done

head -c 600000 /dev/zero >"$work/large"
long="X-Long: $(head -c 100000 /dev/zero | tr '\0' a)"
auth=(-u "admin:$password")
cases=(
  "200|${auth[*]} ${url}"
  "200|${auth[*]} ${base}admin.css"
  "401|${url}"
  "401|-u admin:wrong --interface 127.0.0.9 ${url}"
  "429|-u admin:wrong --interface 127.0.0.9 ${url}"
  "403|${auth[*]} ${base}proxy.conf.lock"
  "403|${auth[*]} ${base}admin.cgi~"
  "400|${auth[*]} --path-as-is ${base}%00"
  "413|${auth[*]} --data-binary @$work/large ${url}"
  "431|${auth[*]} -H LONG ${url}"
)
for case in "${cases[@]}"; do
  want="${case%%|*}"
  read -ra args <<<"${case#*|}"
  for i in "${!args[@]}"; do [ "${args[$i]}" = LONG ] && args[i]="$long"; done
  got="$(status_of "${args[@]}")"
  [ "$got" = "$want" ] || fail "${case:0:80}: status $got"
  for name in "${names[@]}"; do
    [ "$(header "$name" "$work/headers")" = "$(header "$name" "$work/program")" ] ||
      fail "$want answer: $name is '$(header "$name" "$work/headers")'"
  done
done
echo "${#cases[@]} answers carry the program's ${#names[@]} security headers"
