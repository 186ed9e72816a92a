# Shared by the package tests (sourced): tools check, package build, a
# private X server and the two starts through the menu's launcher.
# Each script sets $bin (build directory) and $work (its temporary folder).

fail() { echo "FAIL: $*"; exit 1; }

# need TOOL...: exits 77 (skipped) naming the tools that are missing.
need() {
  local missing=()
  for t in "$@"; do command -v "$t" >/dev/null || missing+=("$t"); done
  [ ${#missing[@]} -eq 0 ] || { echo "SKIP: not installed: ${missing[*]}"; exit 77; }
}

# Builds the package from the build directory into $work/out; sets $deb.
build_deb() {
  (cd "$bin" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack -G DEB"; }
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$bin/CMakeCache.txt")
  deb="$work/out/ashimemo_${version}_$(dpkg --print-architecture).deb"
  [ -f "$deb" ] || fail "no $(basename "$deb") (made: $(ls "$work/out"))"
}

# start_xvfb: a private X server. Xvfb picks a free display itself and
# writes its number once it accepts connections, so that servers of other
# tests started at the same moment never collide with this one.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >/dev/null 2>"$work/xvfb.log" & xvfb=$!
  for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start: $(tail -3 "$work/xvfb.log")"
  export DISPLAY=:$(head -1 "$work/display")
}

# launch LAUNCHER HOME LOG: starts the launcher as the menu would, with the
# messages written to LOG, and waits until the main window is idle; sets $app.
launch() {
  env -u QT_QPA_PLATFORM -u XDG_CONFIG_HOME -u XDG_DOCUMENTS_DIR HOME="$2" TMPDIR="$2" \
    ASHIMEMO_TEST_MESSAGES="$3" "$1" >/dev/null 2>&1 & app=$!
  for _ in $(seq 300); do
    grep -q "main window idle" "$3" 2>/dev/null && break
    kill -0 $app 2>/dev/null || fail "$1 ended: $(cat "$3" 2>/dev/null)"
    sleep 0.1
  done
  grep -q "main window idle" "$3" || fail "the main window did not come up: $(cat "$3" 2>/dev/null)"
  if command -v xdotool >/dev/null; then
    [ -n "$(xdotool search --onlyvisible --pid $app 2>/dev/null)" ] || fail "no visible window of the program"
  fi
}

stop_app() { kill $app 2>/dev/null; wait $app 2>/dev/null; app=""; }

# starts LAUNCHER SHARE: a new user (fresh HOME, documents folder "文書")
# starts the program twice through LAUNCHER; SHARE holds the pictures it
# copies. Sets $folder to the data folder it used.
starts() {
  local launcher=$1 share=$2 home
  home=$(mktemp -d "$work/home.XXXX")
  mkdir -p "$home/.config"
  echo 'XDG_DOCUMENTS_DIR="$HOME/文書"' >"$home/.config/user-dirs.dirs"
  folder="$home/文書/Ashimemo"

  launch "$launcher" "$home" "$home/first.log"
  stop_app
  [ -f "$folder/Setting.MDB" ] || fail "first start: no $folder/Setting.MDB"
  for pic in セッティング左.GIF セッティング右.GIF; do
    cmp -s "$share/$pic" "$folder/$pic" || fail "first start: $pic not copied"
  done
  [ "$(grep -c $'\t' "$home/first.log")" -eq 1 ] && grep -q "新しいデータファイル.*$folder.*user-guide.md" "$home/first.log" ||
    fail "first start: expected one notice naming the folder and the guide, got: $(cat "$home/first.log")"
  [ "$(sqlite3 "$folder/Setting.MDB" "SELECT バージョン FROM バージョン情報")" = "$version" ] ||
    fail "the new data file does not carry version $version"

  # What the user has by the second start stays; a deleted picture returns.
  sqlite3 "$folder/Setting.MDB" "INSERT INTO ユーザー (コード, 名前) VALUES (7, '利用者の記録')" || fail "sqlite3"
  echo "the user's own picture" >"$folder/セッティング左.GIF"
  rm "$folder/セッティング右.GIF"
  launch "$launcher" "$home" "$home/second.log"
  stop_app
  ! grep -q $'\t' "$home/second.log" || fail "second start: unexpected message: $(cat "$home/second.log")"
  [ "$(sqlite3 "$folder/Setting.MDB" "SELECT 名前 FROM ユーザー WHERE コード=7")" = "利用者の記録" ] ||
    fail "second start: the data file was replaced"
  [ "$(cat "$folder/セッティング左.GIF")" = "the user's own picture" ] || fail "second start: a picture was replaced"
  cmp -s "$share/セッティング右.GIF" "$folder/セッティング右.GIF" || fail "second start: missing picture not copied"
  echo "PASS: first and second start through $launcher"
}
