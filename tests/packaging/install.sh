#!/usr/bin/env bash
# The package installed for real with apt-get, started twice through the
# installed menu launcher with a fresh HOME on a private X server, then
# removed and purged: the user's data folder stays exactly as it was.
# Needs root (CI runs as root); exits 77 (skipped) without root, without the
# tools, or when ashimemo is already installed on this system (the test
# never touches an installation it did not make).
set -u
bin=${1:?build directory}
. "$(dirname "$(readlink -f "$0")")/lib.sh"
[ "$(id -u)" -eq 0 ] || { echo "SKIP: not root: the package is not installed for real"; exit 77; }
! dpkg-query -W -f='${Status}' ashimemo 2>/dev/null | grep -q "ok installed" ||
  { echo "SKIP: ashimemo is already installed here; left alone"; exit 77; }
need cpack dpkg-shlibdeps file apt-get xdg-user-dir Xvfb sqlite3
work=$(mktemp -d)
app="" xvfb="" installed=""
trap 'kill $app $xvfb 2>/dev/null; wait 2>/dev/null; [ -z "$installed" ] || dpkg --purge ashimemo >/dev/null 2>&1; rm -rf "$work"' EXIT

build_deb
aptget() { DEBIAN_FRONTEND=noninteractive apt-get -y -qq "$@" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get $*"; }; }
installed=1
aptget install --no-install-recommends "$deb"
[ -x /usr/bin/ashimemo-launcher ] && [ -f /usr/share/applications/ashimemo.desktop ] || fail "not installed"

start_xvfb
starts /usr/bin/ashimemo-launcher /usr/share/ashimemo
snapshot() { (cd "$folder" && find . -type f -exec sha256sum {} + | sort); }
before=$(snapshot)

aptget remove ashimemo
[ ! -e /usr/bin/ashimemo ] || fail "/usr/bin/ashimemo still there after remove"
[ "$(snapshot)" = "$before" ] || fail "remove changed the data folder"
# Purge straight from an installed package, as "apt purge ashimemo" does.
aptget install --no-install-recommends "$deb"
aptget purge ashimemo
installed=""
! dpkg-query -W -f='${Status}' ashimemo 2>/dev/null | grep -q "ok installed" || fail "still installed after purge"
[ ! -e /usr/share/ashimemo ] || fail "/usr/share/ashimemo still there after purge"
[ "$(snapshot)" = "$before" ] || fail "purge changed the data folder"
echo "PASS: installed, started twice, removed, purged; the data folder is untouched"
