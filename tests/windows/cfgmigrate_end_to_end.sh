#!/usr/bin/env bash
# cfgmigrate end to end under Wine: the install root comes from the real
# registry (written with "wine reg add" into the 64-bit view), the change
# command runs through the real cmd.exe, and a tarhttp.bat stands in for the
# server's tool: it records its arguments and exits with a chosen status.
# usage: cfgmigrate_end_to_end.sh WINE CFGMIGRATE_EXE
set -uo pipefail
wine=$1 program=$2
product='HKLM\SOFTWARE\Osmek\Tarrowgate'
work=$(mktemp -d)
failures=0
checks=0

cleanup() {
  "$wine" reg delete "$product" /f /reg:64 >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

winpath() { "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

expect() { # description, wanted, got
  checks=$((checks + 1))
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1: wanted [$2], got [$3]"
    failures=$((failures + 1))
  fi
}

mkdir -p "$work/root/CONFIG" "$work/bin"
root_w=$(winpath "$work/root")
settings="$work/tarhttp.cfg"
settings_w=$(winpath "$settings")
"$wine" reg add "$product" /v CurrentVersion /t REG_SZ /d 4.1 /f /reg:64 >/dev/null 2>&1
"$wine" reg add "$product\\4.1" /v RootDirectory /t REG_SZ /d "$root_w" /f /reg:64 >/dev/null 2>&1
printf '# file-name map\r\ntarhttp.cfg=%s\r\n' "$settings_w" >"$work/root/CONFIG/TGCONFIG.MAP"
printf '@echo %%*> "%s"\r\n@exit %%TARHTTP_STATUS%%\r\n' "$(winpath "$work/args.txt")" \
  >"$work/bin/tarhttp.bat"

# Runs cfgmigrate from the folder of tarhttp.bat; prints its exit status.
run() {
  rm -f "$work/args.txt"
  (cd "$work/bin" && TARHTTP_STATUS=$1 "$wine" "$program" >/dev/null 2>&1)
  echo $?
}
args() { [ -f "$work/args.txt" ] && tr -d '\r' <"$work/args.txt" | sed 's/ *$//' || echo "(not run)"; }
fresh() { rm -f "$settings" "$settings.old"; printf "$1" >"$settings"; }

fresh 'port 8080\r\n# MaxActiveThreads 9\r\nLOGGING on\r\nAuthenticate basic\r\nLogging off\r\n'
expect "status 1 of the command" 0 "$(run 1)"
expect "arguments" "cmd=change port=8080 Authenticate=basic Logging=off" "$(args)"
expect "settings file moved aside" "no" "$([ -e "$settings" ] && echo yes || echo no)"
expect "old file kept" "port 8080" "$(head -1 "$settings.old" | tr -d '\r')"

fresh '# only comments\r\n'
expect "status 0 of the command" 0 "$(run 0)"
expect "no settings" "cmd=change" "$(args)"

fresh 'port 80\r\n'
expect "other status passed on" 7 "$(run 7)"
expect "command ran" "cmd=change port=80" "$(args)"

# The old name is taken: nothing is renamed and the command does not run.
fresh 'port 80\r\n'
printf 'before\r\n' >"$settings.old"
expect "old file exists" 4 "$(run 1)"
expect "command not run" "(not run)" "$(args)"
expect "settings file stays" "yes" "$([ -e "$settings" ] && echo yes || echo no)"
expect "old file untouched" "before" "$(tr -d '\r' <"$settings.old")"

# A value that would make cmd.exe run more than the change command.
fresh 'port 80&echo>injected.txt\r\n'
expect "unsafe value refused" 5 "$(run 1)"
expect "command not run" "(not run)" "$(args)"
expect "nothing injected" "no" "$([ -e "$work/bin/injected.txt" ] && echo yes || echo no)"
expect "settings file stays" "yes" "$([ -e "$settings" ] && echo yes || echo no)"

# COMSPEC naming nothing: cmd.exe is used instead, and the command runs once.
fresh 'port 81\r\n'
status=$(rm -f "$work/args.txt"; cd "$work/bin" &&
  COMSPEC='C:\no\such\cmd.exe' TARHTTP_STATUS=1 "$wine" "$program" >/dev/null 2>&1; echo $?)
expect "fallback interpreter" 0 "$status"
expect "fallback arguments" "cmd=change port=81" "$(args)"

# The map names no settings file, then the registry names no version.
fresh 'port 80\r\n'
printf 'other.cfg=C:\\x\r\n' >"$work/root/CONFIG/TGCONFIG.MAP"
expect "no map entry" 1 "$(run 1)"
"$wine" reg delete "$product" /v CurrentVersion /f /reg:64 >/dev/null 2>&1
printf 'tarhttp.cfg=%s\r\n' "$settings_w" >"$work/root/CONFIG/TGCONFIG.MAP"
expect "no registry entry" 1 "$(run 1)"
expect "command not run" "(not run)" "$(args)"

echo "$checks checks, $failures failed"
[ "$failures" -eq 0 ]
