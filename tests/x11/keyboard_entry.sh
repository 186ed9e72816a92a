#!/usr/bin/env bash
# The program on a real X server (Xvfb), driven with real key events from
# xdotool: a setting is loaded by its code, the day is replaced with a keypad
# digit (the first-key rule on real keypad keys), a new user code is typed
# into the list, and the setting is saved through the real confirmation box.
# Exits 77 (reported as skipped) when Xvfb or xdotool is not installed.
set -u
bin=${1:?build directory}
command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v sqlite3 >/dev/null || {
  echo "SKIP: Xvfb, xdotool or sqlite3 not installed"; exit 77; }
work=$(mktemp -d)
trap 'kill $app $xvfb 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"
"$bin/ashimemo-mkdata" --sample Setting.MDB >/dev/null || exit 1
# Xvfb picks a free display itself and writes its number once it accepts
# connections, so that servers started by other tests at the same moment or
# stale lock files of killed servers never collide with this one.
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>"$work/xvfb.log" & xvfb=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "FAIL: Xvfb did not start: $(tail -3 "$work/xvfb.log")"; exit 1; }
export DISPLAY=:$(head -1 "$work/display")
unset QT_QPA_PLATFORM
export TMPDIR=$work
"$bin/ashimemo" >/dev/null 2>"$work/ashimemo.log" & app=$!
win=""
for _ in $(seq 100); do win=$(xdotool search --onlyvisible --pid $app 2>/dev/null | tail -1); [ -n "$win" ] && break; sleep 0.1; done
[ -n "$win" ] || { echo "FAIL: the main window did not appear: $(tail -3 "$work/ashimemo.log")"; exit 1; }
sleep 1
xdotool windowfocus --sync "$win" 2>/dev/null
keys() { for k in "$@"; do xdotool key --delay 80 "$k"; sleep 0.2; done; }
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
for _ in $(seq 50); do
  row=$(sqlite3 Setting.MDB "SELECT 登録日 || '|' || ユーザー FROM セッティング WHERE コード=1" 2>/dev/null)
  [ "$row" = "20261105|2" ] && { echo "PASS: stored $row"; exit 0; }
  sleep 0.2
done
echo "FAIL: stored '$row', expected '20261105|2'"
exit 1
