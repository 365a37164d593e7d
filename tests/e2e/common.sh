# Shared by the end-to-end scripts: the Wine environment of a fresh prefix below
# build/, check reporting, and path conversion. Expects QW_ARCH and WORK (the test's
# own folder below build/); sourced after `set -uo pipefail`.
QW_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
QW_WINEPREFIX=$WORK/prefix
source "$QW_ROOT/scripts/wine-env.sh"
unset DISPLAY

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
winpath() { echo "Z:${1//\//\\}"; }

# A fresh prefix and a program folder of its own outside the watched drive C:.
fresh_prefix() {
  wineserver -k 2>/dev/null || true
  rm -rf "$WORK"
  mkdir -p "$WORK/app"
  "$QW_WINE" wineboot -i >/dev/null 2>&1
  wineserver -w
  cp "$QW_ROOT/build/$QW_ARCH/bin/Quitaway.exe" "$WORK/app/"
  APP=$(winpath "$WORK/app/Quitaway.exe")
}

# Runs Quitaway.exe: exit code in $rc, Wine's own lines dropped from $WORK/stderr.own.
run() {
  "$QW_WINE" "$APP" "$@" >"$WORK/stdout" 2>"$WORK/stderr"
  rc=$?
  grep -v '^wine: ' "$WORK/stderr" >"$WORK/stderr.own" || true
}

finish() {  # finish NAME
  [ $failures -eq 0 ] && echo "$1: all checks passed" || echo "$1: $failures checks failed"
  exit $((failures > 0))
}
