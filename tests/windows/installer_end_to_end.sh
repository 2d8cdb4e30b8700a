#!/usr/bin/env bash
# The Windows installer under Wine, in a fresh prefix of its own: a silent
# install, the installed programs at work (cfgmigrate against the registry,
# confctl when the installer holds it), the version everywhere, then a
# silent uninstall that removes every file it installed and its Uninstall
# key, and nothing else.
# usage: installer_end_to_end.sh INSTALLER VERSION SOURCE_DIR
set -euo pipefail
installer=$(realpath "$1") version=$2 source=$3
export WINEPREFIX WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
WINEPREFIX=$(mktemp -d /tmp/confkit-installer-XXXXXX)
cleanup() { wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"; }
trap cleanup EXIT
fail() { echo "FAILED: $*"; exit 1; }
wine wineboot --init >"$WINEPREFIX/wineboot.log" 2>&1

key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\confkit'
dir_w='C:\Program Files\confkit'
dir="$WINEPREFIX/drive_c/Program Files/confkit"
wine "$installer" /S "/D=$dir_w" >/dev/null 2>&1 || fail "silent install"
wineserver -w
(cd "$dir" && find . -type f | sort) >"$WINEPREFIX/installed"
for file in bin/confkit.dll bin/kindplug.dll bin/cfgmigrate.exe bin/confctl.exe include/confkit.h lib/libconfkit.dll.a \
  lib/confkit.def share/man/confctl.1.txt share/man/cfgmigrate.8.txt LICENSE CHANGELOG.md uninstall.exe; do
  grep -qxF "./$file" "$WINEPREFIX/installed" || fail "not installed: $file"
done
cmp "$dir/LICENSE" "$source/LICENSE" || fail "LICENSE differs"
grep -q '^EXIT STATUS' <(tr -d '\r' <"$dir/share/man/confctl.1.txt") || fail "manual page text"
# The .def file names what the DLL exports.
diff <(sed -n 's/^ *\([A-Za-z_]*\) @.*/\1/p' "$dir/lib/confkit.def" | sort) \
  <(grep -E '^ +[A-Za-z_]+;$' "$source/confkit/confkit.map" | tr -d ' ;' | sort) || fail "confkit.def"
wine reg query "$key" /v DisplayVersion /reg:64 2>/dev/null | tr -d '\r' | grep -q "REG_SZ *$version$" ||
  fail "no Uninstall key with version $version"
for file in bin/confkit.dll bin/kindplug.dll bin/cfgmigrate.exe; do
  [ "$(strings -el "$dir/$file" | grep -A1 -x FileVersion | tail -1)" = "$version" ] ||
    fail "$file carries no version resource of $version"
done

[ "$(wine "$dir/bin/cfgmigrate.exe" --version 2>/dev/null | tr -d '\r')" = "cfgmigrate $version" ] ||
  fail "cfgmigrate.exe --version"
bash "$source/tests/windows/cfgmigrate_end_to_end.sh" wine "$dir/bin/cfgmigrate.exe" ||
  fail "the installed cfgmigrate.exe"

# A configuration file kept in the install folder, edited there by the
# installed confctl, which records the edit as revision 1 of its history.
conf="$dir/proxy.conf"
cp "$source/examples/proxy.conf" "$conf"
confctl=("wine" "$dir/bin/confctl.exe")
[ "$("${confctl[@]}" --version 2>/dev/null)" = "confctl $version" ] || fail "confctl.exe --version"
"${confctl[@]}" add "$dir_w\\proxy.conf" Pass 'Pass /wiki/* /srv/wiki/*' >/dev/null 2>&1 ||
  fail "confctl.exe add"
grep -q '^Pass /wiki/\* /srv/wiki/\*' "$conf" || fail "confctl.exe did not edit"
newest=$("${confctl[@]}" history list "$dir_w\\proxy.conf" --json 2>/dev/null |
  python3 -c 'import json, sys; print(json.load(sys.stdin)["revisions"][0]["number"])') ||
  fail "confctl.exe history list"
[ "$newest" = 1 ] || fail "history list shows revision $newest, not 1"
kept=$(sha256sum "$conf"; cd "$dir" && find proxy.conf.history -type f -exec sha256sum {} + | sort)

wine "$dir/uninstall.exe" /S >/dev/null 2>&1 || fail "silent uninstall"
wineserver -w
while read -r file; do
  [ ! -e "$dir/$file" ] || fail "left after uninstall: $file"
done <"$WINEPREFIX/installed"
[ "$(cd "$dir" && find . -maxdepth 1 -mindepth 1 | sort | tr '\n' ' ')" = "./proxy.conf ./proxy.conf.history ./proxy.conf.lock " ] ||
  fail "left after uninstall: $(cd "$dir" && find .)"
[ "$(sha256sum "$conf"; cd "$dir" && find proxy.conf.history -type f -exec sha256sum {} + | sort)" = "$kept" ] ||
  fail "the uninstaller touched the configuration file or its history"
! wine reg query "$key" /reg:64 >/dev/null 2>&1 || fail "the Uninstall key is left"
echo "Windows installer: $(wc -l <"$WINEPREFIX/installed") files installed and removed, all checks passed"
