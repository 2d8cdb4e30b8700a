#!/usr/bin/env bash
# Password guessing: 200 wrong passwords from 32 parallel clients spread over
# 8 loopback addresses. With the default limit, each address reaches the
# password check 10 times and is then answered 429 and logged once; the right
# password still works from another address, and not from a locked one.
#   guesses_test.sh ADMIN_CGI
# shellcheck source=served.sh
source "$(dirname "$0")/served.sh"
serve ADMIN_GUESS_WINDOW=3600 # no place ages out while the test runs

addresses=8 guesses=200 limit=10
for i in $(seq 0 $((guesses - 1))); do echo "127.0.0.$((2 + i % addresses))"; done |
  xargs -P 32 -I{} curl -s -o /dev/null -w '%{http_code}\n' -u admin:wrong --interface {} "$url" \
    >"$work/statuses"
count() { grep -c "$1" "$2" || true; }
checked=$(count "password doesn't match" "$logs/error.log")
expected=$((addresses * limit))
[ "$checked" = "$expected" ] || fail "$checked guesses reached the password check, not $expected"
[ "$(count '^401$' "$work/statuses")" = "$expected" ] || fail "401s: $(sort "$work/statuses" | uniq -c)"
[ "$(count '^429$' "$work/statuses")" = "$((guesses - expected))" ] || fail "429s: $(sort "$work/statuses" | uniq -c)"
for i in $(seq 2 $((addresses + 1))); do
  [ "$(count "locked out 127\.0\.0\.$i: " "$logs/error.log")" = 1 ] || fail "127.0.0.$i: not logged once"
done

[ "$(status_of -u "admin:$password" --interface 127.0.0.100 "$url")" = 200 ] ||
  fail "the right password from another address is refused"
[ "$(status_of -u "admin:$password" --interface 127.0.0.2 "$url")" = 429 ] ||
  fail "a locked address is let through"
retry="$(tr -d '\r' <"$work/headers" | sed -n 's/^Retry-After: //Ip')"
[[ "$retry" -gt 3000 && "$retry" -le 3600 ]] || fail "Retry-After: '$retry'"
echo "$checked of $guesses guesses reached the password check; the other address got in"
