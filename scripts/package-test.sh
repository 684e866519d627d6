#!/usr/bin/env bash
# Builds the Debian package of a build tree, holds it and its desktop files
# to the validators, installs it, uses the installed program as a person
# would, and removes it again:  package-test.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)

rm -f "$dir"/ondrel_*.deb
(cd "$dir" && cpack -G DEB > cpack.log 2>&1) || { cat "$dir/cpack.log"; exit 1; }
deb=$(ls "$dir"/ondrel_*.deb)
echo "== $deb"
dpkg-deb --field "$deb" Package Version Depends Recommends

desktop-file-validate packaging/org.ondrel.Ondrel.desktop
appstreamcli validate --no-net packaging/org.ondrel.Ondrel.metainfo.xml
# Warnings are shown; an error fails the run.
lintian --fail-on error --info "$deb"

remove() { "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q ondrel > /dev/null; }
trap remove EXIT
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$(realpath "$deb")" > /dev/null
(cd tests/e2e && /usr/bin/python3 installed_package.py)
