#!/usr/bin/env bash
# Sanity checks of the collection confkit.proxy that run without a network:
# ansible-test sanity with the tests that need no virtual environment of
# their own, and in place of the others pycodestyle with ansible-test's
# settings, yamllint on the metadata and ansible-doc on each module.
# Usage: sanity.sh SOURCE_DIR
set -euo pipefail
source=$1
command -v ansible-test >/dev/null && command -v yamllint >/dev/null &&
  /usr/bin/python3 -c 'import pycodestyle' 2>/dev/null ||
  bash "$source/scripts/install-deps.sh" ansible-core python3-pycodestyle yamllint

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ANSIBLE_HOME="$work/home" ANSIBLE_LOCAL_TEMP="$work/tmp" ANSIBLE_NOCOLOR=1
collection="$work/ansible_collections/confkit/proxy"
mkdir -p "$(dirname "$collection")"
cp -r "$source/ansible" "$collection"
python=$(/usr/bin/python3 -c 'import sys; print("%d.%d" % sys.version_info[:2])')

# These install their own tools into a virtual environment from the network.
needs_network="ansible-doc import pep8 pylint runtime-metadata validate-modules yamllint"
skips=()
for test in $needs_network; do skips+=(--skip-test "$test"); done
(cd "$collection" && ansible-test sanity --local --python "$python" "${skips[@]}")

/usr/bin/python3 -m pycodestyle --max-line-length=160 --ignore=E402,W503,W504,E741 "$collection/plugins"
yamllint -d relaxed --no-warnings "$collection/galaxy.yml" "$collection/meta/runtime.yml"
for module in $(cd "$collection/plugins/modules" && ls -- *.py | sed 's/\.py$//'); do
  ANSIBLE_COLLECTIONS_PATH="$work" ansible-doc -t module "confkit.proxy.$module" >"$work/doc.txt"
  grep -q "EXAMPLES:" "$work/doc.txt" && grep -q "RETURN VALUES:" "$work/doc.txt" ||
    { cat "$work/doc.txt"; echo "incomplete documentation of $module"; exit 1; }
done
echo "collection sanity: clean"
