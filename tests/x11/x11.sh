# Shared by the tests that drive the program on a real X server (Xvfb) with
# real key events from xdotool. Source it after setting $bin (the build
# directory) and $work (a temporary folder that the caller removes); it stops
# the program and the X server when the script ends.
command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v sqlite3 >/dev/null || {
  echo "SKIP: Xvfb, xdotool or sqlite3 not installed"; exit 77; }
app="" xvfb=""
stop_x11() { kill $app $xvfb 2>/dev/null; wait 2>/dev/null; }
# start_xvfb [DIR]: its display number, its log and the temporary folder of
# the programs (their locks) in DIR ($work by default). Xvfb picks a free
# display itself and writes its number once it accepts connections, so that
# servers started by other tests at the same moment or stale lock files of
# killed servers never collide with this one.
start_xvfb() {
  local d=${1:-$work}
  Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>"$d/display" >/dev/null 2>"$d/xvfb.log" & xvfb=$!
  for _ in $(seq 200); do [ -s "$d/display" ] && break; sleep 0.1; done
  [ -s "$d/display" ] || { echo "FAIL: Xvfb did not start: $(tail -3 "$d/xvfb.log")"; exit 1; }
  export DISPLAY=:$(head -1 "$d/display")
  unset QT_QPA_PLATFORM
  export TMPDIR=$d
}
# start_app LOG [NAME=value ...]: the program in the current folder, its
# standard error in LOG; waits for its window and focuses it.
start_app() {
  local log=$1; shift
  env "$@" "$bin/ashimemo" >/dev/null 2>"$log" & app=$!
  local win=""
  for _ in $(seq 100); do win=$(xdotool search --onlyvisible --pid $app 2>/dev/null | tail -1); [ -n "$win" ] && break; sleep 0.1; done
  [ -n "$win" ] || { echo "FAIL: the main window did not appear: $(tail -3 "$log")"; exit 1; }
  sleep 1
  xdotool windowfocus --sync "$win" 2>/dev/null
}
keys() { for k in "$@"; do xdotool key --delay 80 "$k"; sleep 0.2; done; }
# Setting 0001 loaded by its code, the day replaced with a keypad digit (the
# first-key rule on real keypad keys), a new user code typed into the list,
# and the setting saved through the real confirmation box: 登録日 20261105,
# ユーザー 2.
save_setting_1() {
  keys 1 Return            # load setting 0001; the focus goes to the name
  keys Return Return Return # 年, 月, 日
  keys KP_5 Return         # keypad 5 replaces the day "20": 05
  keys KP_2 Return         # ユーザー: the text is selected on entry, 2 picks 0002
  # Back to the code field and through the buttons to セッティング登録
  # (Shift+Tab from the code field: VerSwitch, Setting_Call, then the right
  # column from 終了する upwards).
  for _ in $(seq 6); do keys shift+Tab; done   # 車高調 ... コード
  for _ in $(seq 9); do keys shift+Tab; done   # ... セッティング登録
  keys space
  sleep 1
  keys Return              # 上書きしますか？ -> はい
}
