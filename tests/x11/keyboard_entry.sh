#!/usr/bin/env bash
# The program on a real X server (Xvfb), driven with real key events from
# xdotool: a setting is loaded by its code, edited and saved through the real
# confirmation box (save_setting_1 in x11.sh).
# Exits 77 (reported as skipped) when Xvfb or xdotool is not installed.
set -u
bin=${1:?build directory}
work=$(mktemp -d)
trap 'stop_x11 2>/dev/null; rm -rf "$work"' EXIT
. "$(dirname "$0")/x11.sh"
cd "$work"
"$bin/ashimemo-mkdata" --sample Setting.MDB >/dev/null || exit 1
start_xvfb
start_app "$work/ashimemo.log"
save_setting_1
for _ in $(seq 50); do
  row=$(sqlite3 Setting.MDB "SELECT 登録日 || '|' || ユーザー FROM セッティング WHERE コード=1" 2>/dev/null)
  [ "$row" = "20261105|2" ] && { echo "PASS: stored $row"; exit 0; }
  sleep 0.2
done
echo "FAIL: stored '$row', expected '20261105|2'"
exit 1
