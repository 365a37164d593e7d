#!/bin/bash
# End to end: ./quitaway watch, logs and undo in a prefix of the test's own (made by
# ./quitaway), with a real installer built by makensis. The summary must count what
# the installer did; after undo the registry and drive C: are as before, but for the
# logs folder (outside drive_c) and the keys Wine changes by itself.
# Usage: watch_test.sh ARCH   (i686 or x86_64; run by CTest)
set -uo pipefail
QW_ARCH=${1:?arch}
WORK=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build/watch-$QW_ARCH
QW_WINEPREFIX=$WORK/home/.wine
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
export HOME=$WORK/home QW_ARCH
C=$WINEPREFIX/drive_c
trap 'wineserver -k 2>/dev/null || true' EXIT
quitaway() { timeout 600 "$QW_ROOT/quitaway" "$@" >"$WORK/stdout" 2>"$WORK/stderr"; rc=$?; }

rm -rf "$WORK"
mkdir -p "$WORK"
target=amd64-unicode
[ "$QW_ARCH" = i686 ] && target=x86-unicode
makensis -V1 -INPUTCHARSET UTF8 -DTARGET=$target -DOUTFILE="$WORK/setup.exe" \
  -DPAYLOAD="$QW_ROOT/tests/e2e/data/payload.txt" "$QW_ROOT/tests/e2e/data/watchapp.nsi" || { echo "FAIL: makensis"; exit 1; }

quitaway logs  # the prefix is made here
[ $rc -eq 0 ] && [ "$(cat "$WORK/stdout")" = "Keine Protokolle in $WINEPREFIX/quitaway-logs" ] && pass "logs of a new prefix" \
  || fail "logs rc=$rc $(cat "$WORK/stdout" "$WORK/stderr")"
wineserver -w
state before

quitaway watch setup -- "$QW_WINE" "$(winpath "$WORK/setup.exe")" /S
[ $rc -eq 0 ] && pass "watch" || fail "watch rc=$rc $(cat "$WORK/stderr")"
[ -f "$C/Program Files/QwWatch App/daten/werte.dat" ] && pass "installed" || fail "the installer did not install"
# Three new keys (two of the machine, one of the user) with five values; the program
# folder and its subfolder with three files; one INI entry, and so win.ini and the
# Windows folder altered.
expected="                 neu  gelöscht  geändert
Schlüssel          3         0         0
Werte              5         0         0
Ordner             2         0         1
Dateien            3         0         1
INI-Einträge       1         0         0"
summary=$(tail -6 "$WORK/stdout")
[ "$summary" = "$expected" ] && pass "the summary counts what the installer did" \
  || fail "summary:"$'\n'"$summary"$'\n'"expected:"$'\n'"$expected"$'\n'"$(cat "$WINEPREFIX/quitaway-logs/setup_REG.txt")"
head -2 "$WORK/stdout" | grep -q "^Protokoll:   $WINEPREFIX/quitaway-logs/setup.TSL$" && pass "where the log is" \
  || fail "no log path: $(head -2 "$WORK/stdout")"

quitaway watch fehlschlag -- false
[ $rc -eq 1 ] && [ -f "$WINEPREFIX/quitaway-logs/fehlschlag.TSL" ] && pass "a failed command's exit code, the log made" \
  || fail "watch of a failing command rc=$rc"
quitaway logs
[ $rc -eq 0 ] && [ "$(wc -l <"$WORK/stdout")" -eq 2 ] && grep -q ' setup  Schlüssel +3 -0 #0, Werte +5 -0 #0' "$WORK/stdout" \
  && pass "logs lists both" || fail "logs: $(cat "$WORK/stdout")"

quitaway undo setup
[ $rc -eq 0 ] && [ ! -s "$WORK/stderr" ] && pass "undo" || fail "undo rc=$rc $(cat "$WORK/stderr")"
wineserver -w
state after
same_state before after
quitaway undo nichtda
[ $rc -eq 1 ] && pass "undo of a missing log" || fail "undo nichtda rc=$rc"

finish "watch end-to-end"
