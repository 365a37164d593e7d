#!/bin/bash
# End to end: the first run as a new user makes it, through ./quitaway, from a missing
# Wine prefix (HOME and WINEPREFIX below build/): the README's steps (a log folder,
# STORECONFIG, one key and one file added, COMPARE, EXPORTTEXT) find exactly those two
# changes; the help without a display ends at once; a window start without a display
# ends with its message; UNINSTALL takes both back.
# Usage: first_run_test.sh ARCH   (i686 or x86_64; run by CTest)
set -uo pipefail
QW_ARCH=${1:?arch}
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
WORK=$ROOT/build/first-run-$QW_ARCH
export QW_ARCH HOME=$WORK/home WINEPREFIX=$WORK/home/.wine WINEDEBUG=-all
unset DISPLAY WINEARCH WINELOADER WINEDLLOVERRIDES
if [ "$QW_ARCH" = i686 ]; then WINE=/usr/lib/wine/wine; else WINE=/usr/lib/wine/wine64; fi
WINESERVER=wineserver
trap 'WINEPREFIX=$WINEPREFIX $WINESERVER -k 2>/dev/null || true' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
quitaway() { timeout 600 "$ROOT/quitaway" "$@" >"$WORK/stdout" 2>"$WORK/stderr"; rc=$?; }
entries() { tr -d '\r' <"$1" | grep -v '^;' | grep -v '^$'; }  # an export without its header

rm -rf "$WORK"
mkdir -p "$WINEPREFIX/drive_c/logs"  # the README's folder for the logs, before anything else
quitaway STORECONFIG
[ $rc -eq 0 ] && [ -f "$WINEPREFIX/system.reg" ] && pass "STORECONFIG made the prefix" \
  || fail "STORECONFIG rc=$rc $(cat "$WORK/stderr")"
[ "$(cat "$WORK/stderr")" = "Die Wine-Umgebung $WINEPREFIX wird eingerichtet ..." ] \
  && pass "only our own line while the prefix is made" || fail "set-up output: $(cat "$WORK/stderr")"

start=$(date +%s)
quitaway /?
[ $rc -eq 0 ] && [ "$(head -1 "$WORK/stdout" | tr -d '\r')" = "COMMANDLINE Options:" ] && [ ! -s "$WORK/stderr" ] \
  && [ $(($(date +%s) - start)) -lt 30 ] && pass "help without a display" \
  || fail "/? rc=$rc stdout=$(head -2 "$WORK/stdout") stderr=$(cat "$WORK/stderr")"
quitaway
[ $rc -eq 1 ] && [ -s "$WORK/stderr" ] && pass "window start without a display ends: $(cat "$WORK/stderr")" \
  || fail "start without a display rc=$rc"

# The "installation": one key, one file.
"$WINE" reg add 'HKCU\Software\QwErsterLauf' /v Wert /t REG_SZ /d eins /f >/dev/null 2>&1
printf 'hallo' >"$WINEPREFIX/drive_c/neu.txt"
quitaway COMPARE 'C:\logs\setup'
[ $rc -eq 0 ] && pass "COMPARE" || fail "COMPARE rc=$rc $(cat "$WORK/stderr")"
quitaway EXPORTTEXT 'C:\logs\setup'
[ $rc -eq 0 ] && pass "EXPORTTEXT" || fail "EXPORTTEXT rc=$rc $(cat "$WORK/stderr")"
logs=$WINEPREFIX/drive_c/logs
reg=$(entries "$logs/setup_REG.txt")
[ "$(echo "$reg" | sed 's/S-1-5-21-[0-9-]*/SID/')" = $'[+][HKEY_USERS\\SID\\Software\\QwErsterLauf]\n  [+]"Wert" = "eins"' ] \
  && pass "the key and nothing else" || fail "registry export: $reg"
files=$(entries "$logs/setup_FILES.txt")
[ "$(echo "$files" | sed 's/ 5 Bytes, .*//')" = $'[#][C:\\]\n  [+]"neu.txt"' ] \
  && pass "the file and nothing else" || fail "file export: $files"
[ -z "$(entries "$logs/setup_INI.txt")" ] && pass "no INI entries" || fail "INI export: $(entries "$logs/setup_INI.txt")"

quitaway UNINSTALL 'C:\logs\setup'
[ $rc -eq 0 ] && [ ! -e "$WINEPREFIX/drive_c/neu.txt" ] && ! "$WINE" reg query 'HKCU\Software\QwErsterLauf' >/dev/null 2>&1 \
  && pass "UNINSTALL took both back" || fail "UNINSTALL rc=$rc $(cat "$WORK/stderr")"

[ $failures -eq 0 ] && echo "first_run_e2e: all checks passed" || echo "first_run_e2e: $failures checks failed"
exit $((failures > 0))
