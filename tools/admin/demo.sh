#!/usr/bin/env bash
# Copies the sample configuration and ACL file into a work folder and renders
# the administration page for them into an HTML file, by running the CGI
# program as the web server would for a GET request; the page's stylesheet
# and script go beside it. Prints the file's path.
#   demo.sh WORK_DIR ADMIN_CGI
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="${1:?usage: demo.sh WORK_DIR ADMIN_CGI}"
cgi="${2:?usage: demo.sh WORK_DIR ADMIN_CGI}"
mkdir -p "$work"
work="$(cd "$work" && pwd)"
cp "$root/examples/proxy.conf" "$work/proxy.conf"
cp "$root/examples/proxy.acl" "$work/proxy.acl"
cp "$root/tools/page/admin.css" "$root/tools/page/admin.js" "$work/"
# The response is CGI headers, an empty line, then the page.
REQUEST_METHOD=GET CONFKIT_ADMIN_CONFIG="$work/proxy.conf" CONFKIT_ADMIN_ACL="$work/proxy.acl" \
  "$cgi" > "$work/response.txt"
if ! head -n 1 "$work/response.txt" | grep -q '^Content-Type: text/html'; then
  cat "$work/response.txt" >&2
  exit 1
fi
sed '1,/^\r\{0,1\}$/d' "$work/response.txt" > "$work/admin.html"
rm -f "$work/response.txt"
echo "$work/admin.html"
