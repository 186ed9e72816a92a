#!/usr/bin/env bash
# kill -9 of the program in the middle of a save, on the data file and on a
# PostgreSQL server: the program is stopped inside the save's transaction
# after the row has been written (ASHIMEMO_TEST_STOP_AT=save-writing) and
# killed there. Setting 1 must then be wholly the old row (the file through
# its journal, the server by rolling back the open transaction), and the
# program started again must save it.
# Exits 77 (skipped) without Xvfb, xdotool, sqlite3 or the PostgreSQL server.
set -u
bin=${1:?build directory}
pgbin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
[ -x "$pgbin/pg_ctl" ] && command -v psql >/dev/null || { echo "SKIP: PostgreSQL not installed"; exit 77; }
work=$(mktemp -d)
trap 'stop_x11 2>/dev/null; [ -f "$work/pg/data/postmaster.pid" ] && as_pg "$pgbin/pg_ctl" stop -m immediate -D "$work/pg/data" >/dev/null; rm -rf "$work"' EXIT
. "$(dirname "$0")/x11.sh"

# The server refuses to run as root: run it as postgres then.
as_pg() { if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }
start_server() {
  mkdir "$work/pg" && chmod 755 "$work"
  [ "$(id -u)" = 0 ] && chown postgres: "$work/pg"
  as_pg "$pgbin/initdb" -A trust -U postgres -E UTF8 --no-sync -D "$work/pg/data" >"$work/pg.log" 2>&1 || {
    echo "FAIL: initdb: $(tail -3 "$work/pg.log")"; exit 1; }
  for _ in 1 2 3 4 5; do   # a port that another program holds: try another
    port=$((20000 + RANDOM % 20000))
    as_pg "$pgbin/pg_ctl" start -w -t 30 -D "$work/pg/data" -l "$work/pg/server.log" \
      -o "-p $port -k $work/pg -c listen_addresses=127.0.0.1 -c fsync=off" >>"$work/pg.log" 2>&1 && return
  done
  echo "FAIL: pg_ctl start: $(tail -3 "$work/pg/server.log")"; exit 1
}
# row FOLDER [EXPR]: setting 1 from where FOLDER's program keeps its records,
# every field as one line of text, or EXPR of it.
row() {
  if [ -f "$1/Ashimemo.ini" ]; then
    psql -h "$work/pg" -p "$port" -U postgres -d ashimemo -XAtq -c "SELECT ${2:-s::text} FROM セッティング s WHERE コード=1"
  else
    sqlite3 "$1/Setting.MDB" "SELECT ${2:-*} FROM セッティング WHERE コード=1"
  fi
}

# kill_mid_save MODE: the kill in MODE's folder (file or server), on an X
# server of its own, so that the two modes run side by side.
kill_mid_save() (
  mode=$1
  trap stop_x11 EXIT
  cd "$work/$mode"
  start_xvfb "$work/$mode"
  old=$(row .)
  [ -n "$old" ] || { echo "FAIL ($mode): no setting 1 to start with"; exit 1; }
  start_app "$work/$mode/stop.log" ASHIMEMO_TEST_STOP_AT=save-writing
  save_setting_1
  for _ in $(seq 50); do grep -q "stopped at save-writing" stop.log && break; sleep 0.1; done
  grep -q "stopped at save-writing" stop.log || { echo "FAIL ($mode): the save did not reach its stop point"; exit 1; }
  kill -9 $app; wait $app 2>/dev/null; app=""
  now=$(row .)
  [ "$now" = "$old" ] || { echo "FAIL ($mode): after kill -9 setting 1 is"; echo "  $now"; echo "not the old"; echo "  $old"; exit 1; }
  if [ $mode = file ]; then
    check=$(sqlite3 Setting.MDB "PRAGMA integrity_check")
    [ "$check" = ok ] || { echo "FAIL (file): $check"; exit 1; }
    echo "PASS (file): the old row kept after kill -9"; exit 0
  fi
  # Started again, the same save goes through.
  start_app "$work/$mode/again.log"
  save_setting_1
  for _ in $(seq 50); do
    new=$(row . "登録日 || '|' || ユーザー")
    [ "$new" = "20261105|2" ] && break
    sleep 0.2
  done
  kill $app; wait $app 2>/dev/null; app=""
  [ "$new" = "20261105|2" ] || { echo "FAIL ($mode): the restarted program stored '$new', expected '20261105|2'"; exit 1; }
  echo "PASS ($mode): the old row kept after kill -9, the save done after a restart"
)


mkdir "$work/file" "$work/server"
"$bin/ashimemo-mkdata" --sample "$work/file/Setting.MDB" >/dev/null || exit 1
cp "$work/file/Setting.MDB" "$work/Setting.MDB"
kill_mid_save file >"$work/file.out" 2>&1 & file=$!
start_server
psql -h "$work/pg" -p "$port" -U postgres -XAtq -c "CREATE DATABASE ashimemo" &&
  "$bin/ashimemo-mkdata" --to-server "$work/Setting.MDB" "postgresql://postgres@127.0.0.1:$port/ashimemo" >/dev/null || exit 1
printf '[server]\nurl=postgresql://postgres@127.0.0.1:%s/ashimemo\n' "$port" >"$work/server/Ashimemo.ini"
kill_mid_save server; status=$?
wait $file || status=1
cat "$work/file.out"
exit $status
