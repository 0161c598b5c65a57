#!/usr/bin/env bash
# pumpsel.exe under Wine on a display (on_display.sh), through Qt's
# Windows platform plugin as on Windows: its selection window must come up,
# captioned "水泵选型 v0.4", listing every kind of the catalogue beside it.
# The Wine prefix's environment makes the program say on stderr what it
# opened (qt_environment.sh).
#   program_on_display.sh WINE PUMPSEL_EXE
set -euo pipefail
wine=$1
program=$2
fail() { echo "FAIL: $*"; exit 1; }
log=$(mktemp)
trap 'rm -f "$log"' EXIT

"$wine" "$program" >"$log" 2>&1 &
pid=$!
# The window names as UTF-8, whatever the locale of the test.
windows() { LC_ALL=C.UTF-8 xwininfo "$@" 2>/dev/null; }
window=
for _ in $(seq 600); do
  window=$(windows -root -tree | awk '/"水泵选型 v0.4"/ {print $1}' | head -n 1 || true)
  [ -n "$window" ] && windows -id "$window" | grep -q 'Map State: IsViewable' && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
shown=0
[ -n "$window" ] && shown=$(windows -id "$window" | grep -c 'Map State: IsViewable' || true)
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
[ "$shown" = 1 ] || { cat "$log"; windows -root -tree; fail "no window captioned 水泵选型 v0.4 was shown"; }

line=$(grep "^pumpsel.start: catalogue" "$log" | tr -d '\r') || { cat "$log"; fail "the program did not say what it opened"; }
[[ $line =~ \ with\ ([0-9]+)\ kinds$ ]] || fail "unexpected line: $line"
# The kinds the index lists, counted apart from the program.
kinds=$(grep -c '^[0-9]*=' <(iconv -f GBK -t UTF-8 "$(dirname "$program")/txt/bump.dat" | tr -d '\r' |
        sed -n '/^\[种类\]/,/^\[/p'))
[ "${BASH_REMATCH[1]}" -gt 0 ] && [ "${BASH_REMATCH[1]}" = "$kinds" ] ||
  fail "the kinds list shows ${BASH_REMATCH[1]} kinds; the catalogue has $kinds"
echo "the selection window came up on the display with $kinds kinds"
