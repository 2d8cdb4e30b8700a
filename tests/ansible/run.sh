#!/usr/bin/env bash
# The Ansible collection confkit.proxy against two proxies on this machine
# (connection local, one configuration file each, named by a host variable):
# the first run makes the declared state, the second changes nothing, check
# mode reports a change and writes nothing, diff mode prints confctl's diff,
# a refused value fails the task with confctl's message, and so does a save
# that would lose a line, unless the task accepts the loss; a restore of
# revision 0 brings back the original bytes once, and the history names each
# module and keeps the reasons given. The collection is installed from its
# built artifact.
# Usage: run.sh CONFCTL SOURCE_DIR
set -euo pipefail
confctl=$1 source=$2
here=$(cd "$(dirname "$0")" && pwd)

command -v ansible-playbook >/dev/null || bash "$source/scripts/install-deps.sh" ansible-core

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ANSIBLE_HOME="$work/home" ANSIBLE_LOCAL_TEMP="$work/tmp" ANSIBLE_REMOTE_TEMP="$work/tmp"
export ANSIBLE_COLLECTIONS_PATH="$work/collections" ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0
printf '[defaults]\n' >"$work/ansible.cfg"
export ANSIBLE_CONFIG="$work/ansible.cfg"
mkdir -p "$work/bin"
ln -s "$confctl" "$work/bin/confctl"
export PATH="$work/bin:$PATH"

# The collection as it ships: the built artifact. Installing the source
# folder, as developers do, must give the same files.
ansible-galaxy collection build "$source/ansible" --output-path "$work/dist" >/dev/null
artifact=$(echo "$work"/dist/confkit-proxy-*.tar.gz)
[ -f "$artifact" ] || { echo "FAILED: no artifact built"; exit 1; }
ansible-galaxy collection install --offline "$artifact" -p "$work/collections" >/dev/null
ansible-galaxy collection install --offline "$source/ansible" -p "$work/from-source" >/dev/null
listing() { (cd "$1/ansible_collections/confkit/proxy" && find . -type f | sort); }
listing "$work/collections" | grep -qx './plugins/modules/proxy_rules.py' ||
  { echo "FAILED: the artifact holds no modules"; exit 1; }
cmp <(listing "$work/collections") <(listing "$work/from-source") ||
  { echo "FAILED: the artifact and the source folder install different files"; exit 1; }

cp "$source/examples/proxy.conf" "$work/a.conf"
cp "$source/examples/proxy.conf" "$work/b.conf"
cat >"$work/inventory.ini" <<INI
[proxies]
proxy-a proxy_conf=$work/a.conf
proxy-b proxy_conf=$work/b.conf

[proxies:vars]
ansible_connection=local
ansible_python_interpreter=/usr/bin/python3
INI

fail() { echo "FAILED: $*"; exit 1; }
play() { ansible-playbook -i "$work/inventory.ini" "$@"; }
# The number of changed tasks of a host in the play recap of a run's output.
changed() { sed -n "s/^$1 *: .*changed=\([0-9]*\).*/\1/p" "$2"; }
state() { sha256sum "$work/a.conf" "$work/b.conf"; stat -c '%n %y' "$work/a.conf" "$work/b.conf"; }

play "$here/site.yml" >"$work/first.out" || { cat "$work/first.out"; fail "first run"; }
for host in proxy-a proxy-b; do
  [ "$(changed $host "$work/first.out")" = 6 ] || { cat "$work/first.out"; fail "first run changes on $host"; }
done
cmp "$work/a.conf" "$work/b.conf" || fail "the two proxies differ"
rules() { "$confctl" rules "$work/a.conf" "$1"; }
rules pass | grep -qx 'Pass /wiki/\* /srv/wiki/\*' || fail "Pass rule not added"
[ "$(rules pass | grep -c '^Pass */docs/\*')" = 1 ] || fail "a Pass rule that was there was added again"
[ "$(rules map)" = $'Map       /old-intranet/*      http://intranet.example.com/*\nMap /old-wiki/* http://wiki.example.com/*' ] ||
  fail "Map rules are not exactly the declared ones: $(rules map)"
! rules fail | grep -q 'test-' || fail "Fail rule not removed"
"$confctl" protect get "$work/a.conf" STAFF-PROT | grep -qx 'PasswdFile: /opt/tarrowgate/staff.pwd' ||
  fail "Protection setup not put"
"$confctl" pics clause get "$work/a.conf" Lab passurl | grep -qx 'http://library.example/?q=a&b=c' ||
  fail "PICS clause not put"
grep -q $'^Member cache-north {\r$' "$work/a.conf" || fail "Member block not put"

before=$(state)
play "$here/site.yml" >"$work/second.out" || { cat "$work/second.out"; fail "second run"; }
for host in proxy-a proxy-b; do
  [ "$(changed $host "$work/second.out")" = 0 ] || { cat "$work/second.out"; fail "second run changed $host"; }
done
[ "$(state)" = "$before" ] || fail "the second run touched the files"

play "$here/one_rule.yml" --check --diff >"$work/check.out" || { cat "$work/check.out"; fail "check run"; }
[ "$(changed proxy-a "$work/check.out")" = 1 ] || { cat "$work/check.out"; fail "check mode reports no change"; }
grep -q '^+Pass /extra/\* /srv/extra/\*' "$work/check.out" || { cat "$work/check.out"; fail "no diff shown"; }
# The diff a person reads: no line of the CR LF file shows its CR.
! grep -q $'\r$' "$work/check.out" || { cat -A "$work/check.out"; fail "diff mode shows the exact diff"; }
[ "$(state)" = "$before" ] || fail "check mode wrote"

play "$here/one_rule.yml" --diff >"$work/diff.out" || { cat "$work/diff.out"; fail "diff run"; }
grep -q "^--- $work/a.conf" "$work/diff.out" || { cat "$work/diff.out"; fail "no diff header"; }
rules pass | grep -qx 'Pass /extra/\* /srv/extra/\*' || fail "diff mode did not write"

before=$(state)
if play "$here/refused.yml" >"$work/refused.out"; then cat "$work/refused.out"; fail "a refused value passed"; fi
grep -q 'confctl: ServerID: holds \\"}\\", which changes where a block ends' "$work/refused.out" ||
  { cat "$work/refused.out"; fail "the task does not give confctl's message"; }
[ "$(state)" = "$before" ] || fail "a refused value changed a file"
# A save that would lose a bare-word line fails, in check mode too, unless accepted.
printf 'Port 80\r\nWelcome\r\n' >"$work/loss.conf"
for mode in --check ""; do
  if play "$here/loss.yml" -e "loss_conf=$work/loss.conf" $mode >"$work/loss.out"; then
    cat "$work/loss.out"; fail "an edit that loses a line passed ${mode:-without check mode}"
  fi
  grep -q 'would also lose line 2' "$work/loss.out" || { cat "$work/loss.out"; fail "no loss named"; }
  [ "$(cat "$work/loss.conf")" = $'Port 80\r\nWelcome\r' ] || fail "a refused loss changed the file"
done
play "$here/loss.yml" -e "loss_conf=$work/loss.conf" -e accept=true >"$work/loss.out" ||
  { cat "$work/loss.out"; fail "an accepted loss failed"; }
[ "$(cat "$work/loss.conf")" = $'Port 80\r\nPass /extra/* /srv/extra/*\r' ] || fail "the accepted edit was not saved"

# Revision 0 back on both proxies: check mode shows the change and writes
# nothing, the restore brings back the original bytes as a revision of its
# own, and a second run changes nothing and records nothing.
for host in a b; do cp "$work/$host.conf" "$work/$host.conf.before"; done
before=$(state)
play "$here/restore.yml" --check --diff >"$work/restore.out" || { cat "$work/restore.out"; fail "restore check run"; }
grep -q '^-Pass /wiki/\* /srv/wiki/\*' "$work/restore.out" || { cat "$work/restore.out"; fail "no diff of the restore"; }
[ "$(state)" = "$before" ] || fail "check mode restored"
# A run of restore.yml (named $1) that changes $2 tasks per host.
restore() {
  play "$here/restore.yml" >"$work/restore.out" || { cat "$work/restore.out"; fail "$1 restore run"; }
  for host in proxy-a proxy-b; do
    [ "$(changed $host "$work/restore.out")" = "$2" ] || { cat "$work/restore.out"; fail "$1 restore run changes on $host"; }
  done
  for host in a b; do cmp "$source/examples/proxy.conf" "$work/$host.conf" || fail "revision 0 not back on $host"; done
}
restore first 1
before=$(state) recorded=$("$confctl" history list "$work/a.conf")
restore second 0
[ "$(state)" = "$before" ] || fail "the second restore touched the files"
[ "$("$confctl" history list "$work/a.conf")" = "$recorded" ] || fail "the second restore recorded a revision"
# The history names each module as the program and keeps the reasons given.
revisions=$("$confctl" history list "$work/a.conf" --json | python3 -c '
import json, sys
for r in json.load(sys.stdin)["revisions"]:
    print("%s|%s|%s" % (r["program"], r["summary"], r.get("reason", "")))')
grep -qx 'confctl (proxy_rules)|add Pass: [^|]*|the wiki is served from its own folder' <<<"$revisions" &&
  grep -q '^confctl (proxy_block)|' <<<"$revisions" &&
  [ "$(sed -n 1p <<<"$revisions")" = 'confctl (proxy_restore)|restore of revision 0|the rollout is undone' ] ||
  fail "the history does not name the modules and reasons: $revisions"
"$confctl" history verify "$work/a.conf" >/dev/null || fail "the history's chain does not hold"
echo "ansible collection: all checks passed"
