#!/usr/bin/env bash
# The comparison window as a screen reader gets it: the program on a real X
# server with Qt's AT-SPI bridge on a private session bus, the comparison
# opened from the setting list with real keys (Alt+K), and the wheel table
# read over AT-SPI with pyatspi: the cells' texts, the column headers, the
# description "違いあり" on exactly the cells of a differing row, and the
# cell the arrow keys moved to as the focused one.
# Exits 77 (reported as skipped) without Xvfb, xdotool, D-Bus or AT-SPI.
set -u
bin=${1:?build directory}
command -v dbus-run-session >/dev/null && [ -x /usr/libexec/at-spi-bus-launcher ] &&
  /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: dbus, at-spi2-core or python3-pyatspi not installed"; exit 77; }
# A session bus of its own, so that no other program's bridge is read.
[ -n "${ASHIMEMO_OWN_BUS:-}" ] || ASHIMEMO_OWN_BUS=1 exec dbus-run-session -- "$0" "$@"
work=$(mktemp -d)
bus=""
trap 'kill $bus 2>/dev/null; stop_x11 2>/dev/null; rm -rf "$work"' EXIT
. "$(dirname "$0")/x11.sh"
cd "$work"
"$bin/ashimemo-mkdata" Setting.MDB >/dev/null || exit 1
sqlite3 Setting.MDB "INSERT INTO ユーザー (コード, 名前) VALUES (3, '佐藤');
  INSERT INTO セッティング (コード, セッティング名称, 登録日, ユーザー, FL_フェンダー高, FL_プリロード)
  VALUES (11, '初回', '20250301', 3, '650', '5'), (18, '二回目', '20250914', 3, '648', '5');" || exit 1
start_xvfb
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 & bus=$!
sleep 0.5
start_app "$work/ashimemo.log" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# The setting list (Shift+Tab twice reaches セッティングコード), row 0018
# by its code in the search field, then 「比　較」.
keys shift+Tab shift+Tab space 0 0 1 8 alt+k
# In the first wheel's table, one row down and one cell right: プリロード, older.
keys Down Right
/usr/bin/python3 - <<'PY'
import pyatspi, sys, time

def find(node, role, name):
    try:
        if node.getRoleName() == role and node.name == name:
            return node
        for i in range(node.childCount):
            found = find(node.getChildAtIndex(i), role, name)
            if found:
                return found
    except Exception:
        pass
    return None

table = None
for _ in range(50):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == 'Ashimemo':
            table = find(app, 'table', 'フロント左')
    if table:
        break
    time.sleep(0.2)
if not table:
    sys.exit('FAIL: no table フロント左 over AT-SPI')
t = table.queryTable()
read = lambda r: [(t.getAccessibleAt(r, c).name, t.getAccessibleAt(r, c).description) for c in range(t.nColumns)]
got = {'size': (t.nRows, t.nColumns), 'headers': [t.getColumnDescription(c) for c in range(t.nColumns)],
       'フェンダー高': read(0), 'プリロード': read(1),
       'focused': [(r, c) for r in range(2) for c in range(4)
                   if t.getAccessibleAt(r, c).getState().contains(pyatspi.STATE_FOCUSED)]}
want = {'size': (12, 4), 'headers': ['項目', '古い方', '新しい方', '差'],
        'フェンダー高': [('フェンダー高', '違いあり'), ('650', '違いあり'), ('648', '違いあり'), ('-2', '違いあり')],
        'プリロード': [('プリロード', ''), ('5', ''), ('5', ''), ('', '')], 'focused': [(1, 1)]}
if got != want:
    sys.exit('FAIL: read %r, expected %r' % (got, want))
print('PASS: the comparison read over AT-SPI')
PY
