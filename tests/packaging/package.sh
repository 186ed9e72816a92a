#!/usr/bin/env bash
# The Debian package as built for release: made by cpack from the build
# directory, unpacked into a temporary root and checked (installed files,
# dependencies, desktop entry and metainfo with their keywords and licence,
# the English and Japanese manual pages as man shows them, the usage of
# ashimemo-mkdata, lintian), then started
# twice through the menu's launcher from that root on a private X server
# with a fresh HOME. Needs no root. Exits 77 (skipped) without the tools.
set -u
bin=${1:?build directory}
. "$(dirname "$(readlink -f "$0")")/lib.sh"
need cpack dpkg-deb dpkg-shlibdeps file lintian desktop-file-validate appstreamcli xdg-user-dir Xvfb sqlite3 man
work=$(mktemp -d)
app="" xvfb=""
trap 'kill $app $xvfb 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

build_deb
root=$work/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"

# Installed files.
for f in usr/bin/ashimemo usr/bin/ashimemo-mkdata usr/bin/ashimemo-launcher \
    usr/share/applications/ashimemo.desktop usr/share/metainfo/jp.ashimemo.Ashimemo.metainfo.xml \
    usr/share/ashimemo/セッティング左.GIF usr/share/ashimemo/セッティング右.GIF usr/share/ashimemo/sample/Setting.MDB \
    usr/share/doc/ashimemo/user-guide.md usr/share/doc/ashimemo/copyright usr/share/doc/ashimemo/changelog.gz \
    usr/share/man/man1/{ashimemo,ashimemo-mkdata,ashimemo-launcher}.1.gz \
    usr/share/man/ja/man1/{ashimemo,ashimemo-mkdata,ashimemo-launcher}.1.gz; do
  [ -f "$root/$f" ] || fail "missing /$f"
done
for b in ashimemo ashimemo-mkdata ashimemo-launcher; do
  file -L "$root/usr/bin/$b" | grep -q "ELF.*, stripped" || fail "/usr/bin/$b is not a stripped program"
  [ -x "$root/usr/bin/$b" ] || fail "/usr/bin/$b is not executable"
done
for s in 16 22 24 32 48 64 128 256; do
  file "$root/usr/share/icons/hicolor/${s}x$s/apps/ashimemo.png" | grep -q "PNG image data, $s x $s," ||
    fail "no ${s}x$s icon"
done
for pic in $(grep -o '([a-z-]*\.png)' "$root/usr/share/doc/ashimemo/user-guide.md" | tr -d '()'); do
  [ -f "$root/usr/share/doc/ashimemo/$pic" ] || fail "the user guide's picture $pic is not installed"
done
[ "$(sqlite3 "$root/usr/share/ashimemo/sample/Setting.MDB" "SELECT count(*) FROM セッティング")" -gt 0 ] ||
  fail "the sample data file has no settings"
[ "$(sqlite3 "$root/usr/share/ashimemo/sample/Setting.MDB" "SELECT バージョン FROM バージョン情報")" = "$version" ] ||
  fail "the sample data file does not carry version $version"

# Dependencies: the libraries found by dpkg-shlibdeps and what is loaded at run time.
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6widgets6 libqt6sql6 libsqlite3-0 libqt6sql6-sqlite libqt6sql6-psql libpq5 fonts-ipafont-gothic fonts-ipafont-mincho \
    qt6-translations-l10n xdg-user-dirs libmdb3; do
  [[ ",$depends," =~ ,\ ?$p[\ ,] ]] || fail "Depends lacks $p: $depends"
done

# Desktop entry and metainfo with their own validators; lintian.
desktop-file-validate "$root/usr/share/applications/ashimemo.desktop" || fail "desktop-file-validate"
grep -qx "Exec=ashimemo-launcher" "$root/usr/share/applications/ashimemo.desktop" || fail "the menu does not start the launcher"
appstreamcli validate --no-net "$root/usr/share/metainfo/jp.ashimemo.Ashimemo.metainfo.xml" >"$work/as.log" 2>&1 ||
  { cat "$work/as.log"; fail "appstreamcli validate"; }
# The menu finds the program by its name as read and by what it is for.
desktop=$root/usr/share/applications/ashimemo.desktop metainfo=$root/usr/share/metainfo/jp.ashimemo.Ashimemo.metainfo.xml
for k in アシメモ あしめも サスペンション 足回り; do
  grep -q "^Keywords\[ja\]=\(.*;\)\?$k;" "$desktop" || fail "Keywords[ja] of the desktop entry lack $k"
  grep -q "<keyword xml:lang=\"ja\">$k</keyword>" "$metainfo" || fail "the metainfo's keywords lack $k"
done
# The licence: MIT (Debian's name for it is Expat).
grep -q "<project_license>MIT</project_license>" "$metainfo" || fail "the metainfo states no MIT project_license"
grep -q "^License: Expat" "$root/usr/share/doc/ashimemo/copyright" &&
  grep -q "Permission is hereby granted, free of charge" "$root/usr/share/doc/ashimemo/copyright" ||
  fail "the copyright file does not carry the MIT licence"

# Manual pages, English and Japanese, as man shows them from the installed
# tree (-L ja: a Japanese user's locale), without a warning of groff.
for page in ashimemo ashimemo-mkdata ashimemo-launcher; do
  for lang in C ja; do
    MANPATH=$root/usr/share/man MANWIDTH=80 man --warnings -L $lang -E UTF-8 $page >"$work/man.txt" 2>"$work/man.err" ||
      fail "man -L $lang $page: $(cat "$work/man.err")"
    [ ! -s "$work/man.err" ] || fail "man -L $lang $page warns: $(cat "$work/man.err")"
    heading=NAME; [ $lang = ja ] && heading=名前
    grep -q "^$heading" "$work/man.txt" || fail "man -L $lang $page shows no $heading section"
  done
done
grep -q "終了ステータス" <(MANPATH=$root/usr/share/man man -L ja -E UTF-8 ashimemo-mkdata 2>/dev/null) ||
  fail "the Japanese page of ashimemo-mkdata says nothing of its exit status"

# ashimemo-mkdata: --help and -h print the usage on standard output with
# status 0, --version the version; wrong usage is status 2 on standard error.
mkdata=$root/usr/bin/ashimemo-mkdata
for opt in --help -h; do
  out=$("$mkdata" $opt 2>"$work/err"); rc=$?
  [ $rc -eq 0 ] && [[ $out == 使い方:* ]] && [ ! -s "$work/err" ] || fail "ashimemo-mkdata $opt: status $rc, output: $out"
done
out=$("$mkdata" --version 2>&1); [ "$out" = "ashimemo-mkdata $version" ] || fail "ashimemo-mkdata --version: $out"
for wrong in "" "--sample" "--backups" "--nonsense x"; do
  out=$("$mkdata" $wrong 2>"$work/err"); rc=$?
  [ $rc -eq 2 ] && [ -z "$out" ] && grep -q "^使い方:" "$work/err" ||
    fail "ashimemo-mkdata $wrong: status $rc (2 expected), standard output: $out"
done

lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log"; fail "lintian reports errors"; }
grep "^W:" "$work/lintian.log"
echo "PASS: $(basename "$deb") built and checked"

start_xvfb
starts "$root/usr/bin/ashimemo-launcher" "$root/usr/share/ashimemo"
exit 0
