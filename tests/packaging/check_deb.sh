#!/usr/bin/env bash
# The Debian package as an administrator meets it: lintian finds no error,
# dpkg -i installs it, the installed programs, library, headers, manual pages
# and web server snippet work from the system's own paths, and dpkg -P
# removes every file it brought (also when a check fails).
# usage: check_deb.sh PACKAGE.deb VERSION SOURCE_DIR
set -euo pipefail
deb=$1 version=$2 source=$3
[ "$(id -u)" -eq 0 ] || { echo "skipped: installing a package needs root"; exit 77; }
if dpkg-query -W -f='${Status}' confkit 2>/dev/null | grep -q installed; then
  echo "confkit is installed on this system already; the test would remove it"; exit 1
fi
work=$(mktemp -d)
enabled=/etc/lighttpd/conf-enabled/50-confkit-admin.conf
purge() {
  dpkg -P confkit >/dev/null 2>&1 || true
  [ ! -L "$enabled" ] || [ -e "$enabled" ] || rm -f "$enabled"
  rm -rf "$work"
}
trap purge EXIT
fail() { echo "FAILED: $*"; exit 1; }

command -v lintian >/dev/null || bash "$source/scripts/install-deps.sh" lintian
lintian --fail-on error "$deb" ||
  fail "lintian reports errors"

# What the control files promise: the library's shlibs line, the ldconfig
# trigger, the snippet as a configuration file, dependencies found.
dpkg-deb -e "$deb" "$work/control"
grep -qx "libconfkit 1 confkit (>= $version)" "$work/control/shlibs" || fail "shlibs: $(cat "$work/control/shlibs")"
grep -qx 'activate-noawait ldconfig' "$work/control/triggers" || fail "no ldconfig trigger"
grep -qx /etc/lighttpd/conf-available/50-confkit-admin.conf "$work/control/conffiles" || fail "conffiles"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
dpkg-deb -f "$deb" Depends | grep -q 'libc6' || fail "dpkg-shlibdeps found no dependency"

# The package's paths that are there before it is installed (shared folders).
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|; s|/$||' | grep . >"$work/paths"
while read -r path; do [ ! -e "$path" ] || echo "$path"; done <"$work/paths" >"$work/before"
dpkg -i "$deb" >/dev/null
dpkg -L confkit >"$work/files"
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
for path in /usr/bin/confctl /usr/bin/cfgmigrate /usr/lib/$multiarch/libconfkit.so.1 \
  /usr/include/confkit.h /usr/lib/$multiarch/pkgconfig/confkit.pc \
  /usr/lib/$multiarch/cmake/confkit/confkitConfig.cmake /usr/share/man/man1/confctl.1.gz \
  /usr/share/man/man8/cfgmigrate.8.gz /usr/lib/cgi-bin/confkit/admin.cgi /usr/share/confkit/admin.css \
  /usr/share/confkit/admin.js /usr/share/doc/confkit/copyright /usr/share/doc/confkit/changelog.gz; do
  grep -qx "$path" "$work/files" && [ -e "$path" ] || fail "not installed: $path"
done
cmp <(sed -n '/^ /s/^ //p' /usr/share/doc/confkit/copyright | sed 's/^\.$//') "$source/LICENSE" ||
  fail "the copyright file does not hold LICENSE"
# (/lib is /usr/lib on a merged system.)
ldconfig -p | grep -Eq "libconfkit\.so\.1 .*=> (/usr)?/lib/$multiarch/libconfkit\.so\.1$" ||
  fail "library not in the cache"

[ "$(confctl --version)" = "confctl $version" ] || fail "confctl --version: $(confctl --version)"
[ "$(cfgmigrate --version)" = "cfgmigrate $version" ] || fail "cfgmigrate --version"
cp "$source/examples/proxy.conf" "$work/proxy.conf"
confctl add "$work/proxy.conf" Pass 'Pass /wiki/* /srv/wiki/*' >/dev/null
confctl rules "$work/proxy.conf" Pass | grep -qx 'Pass /wiki/\* /srv/wiki/\*' || fail "the installed confctl did not edit"
[ "$(man -w confctl)" = /usr/share/man/man1/confctl.1.gz ] || fail "man confctl"
printf 'Port 8080\r\n' >"$work/page.conf"
CONFKIT_ADMIN_CONFIG="$work/page.conf" REQUEST_METHOD=GET /usr/lib/cgi-bin/confkit/admin.cgi >"$work/page"
grep -q '^Content-Type: text/html' "$work/page" && grep -q 'value="8080"' "$work/page" ||
  fail "the installed page does not show the configuration"

(
  unset PKG_CONFIG_PATH CMAKE_PREFIX_PATH LD_LIBRARY_PATH
  . "$source/tests/packaging/consumers.sh"
  check_consumers "$work" "$source/tests/packaging/consumer" /usr/include
)

# The snippet stays disabled; enabled as lighty-enable-mod does it, the web
# server's own configuration reads it, and a purge drops the link with it.
[ ! -e "$enabled" ] || fail "the snippet is enabled"
if command -v lighttpd >/dev/null && [ -d /etc/lighttpd/conf-enabled ]; then
  ln -s ../conf-available/50-confkit-admin.conf "$enabled"
  lighttpd -tt -f /etc/lighttpd/lighttpd.conf || fail "lighttpd does not accept the snippet"
fi

dpkg -P confkit >/dev/null
# Nothing the package brought is left, files or folders.
while read -r path; do
  if [ -e "$path" ] || [ -L "$path" ]; then
    grep -qxF "$path" "$work/before" || fail "left after purge: $path"
  fi
done <"$work/paths"
! ldconfig -p | grep -q libconfkit.so || fail "library still in the cache"
[ ! -L "$enabled" ] || fail "a link to the removed snippet is left"
echo "Debian package: all checks passed"
