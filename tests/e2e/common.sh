# Shared by the end-to-end scripts: the Wine environment of a fresh prefix below
# build/, check reporting, and path conversion. Expects QW_ARCH and WORK (the test's
# own folder below build/); sourced after `set -uo pipefail`.
QW_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
QW_WINEPREFIX=${QW_WINEPREFIX:-$WORK/prefix}
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

# The machine's state in $WORK/NAME-*.txt: registry exports and drive C: ($C), without
# what changes by itself.
state() {  # state NAME
  local key
  for key in HKEY_LOCAL_MACHINE HKEY_CURRENT_USER; do
    "$QW_WINE" regedit /E "$(winpath "$WORK/$1-$key.reg")" "$key" >/dev/null 2>&1
    iconv -f UTF-16LE -t UTF-8 "$WORK/$1-$key.reg" | tr -d '\r' | awk -v RS= -v ORS='\n\n' '
      /^\[HKEY_CURRENT_USER\\Software\\Velmoria[]\\]/ { next }  # the program itself, its file types
      /^\[HKEY_LOCAL_MACHINE\\Software\\Classes\\(\.TS[SLD]|Velmoria Quitaway 2000)[]\\]/ { next }
      # volatile keys that Wine fills at some moment after a start
      /^\[HKEY_LOCAL_MACHINE\\Hardware\\DEVICEMAP[]\\]/ { next }
      /^\[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards[]\\]/ { next }
      { gsub(/\n"DriverDateData"=[^\n]*/, ""); print }  # the display driver, rewritten at each start
      ' >"$WORK/$1-$key.txt"
  done
  local skip=(-path ./windows/temp -o -path './users/*/Temp' -o -path './users/*/AppData/Local/Temp')
  (cd "$C" && find . \( "${skip[@]}" \) -prune -o -type d -printf '%p/\n' | sort
   cd "$C" && find . \( "${skip[@]}" \) -prune -o -type f -print0 | sort -z | xargs -0 md5sum) >"$WORK/$1-drive_c.txt"
}

same_state() {  # same_state BEFORE AFTER
  local part
  for part in HKEY_LOCAL_MACHINE HKEY_CURRENT_USER drive_c; do
    diff -u "$WORK/$1-$part.txt" "$WORK/$2-$part.txt" >"$WORK/diff-$part.txt" && pass "$part as before the installation" \
      || fail "$part differs after UNINSTALL: $(head -40 "$WORK/diff-$part.txt")"
  done
}

finish() {  # finish NAME
  [ $failures -eq 0 ] && echo "$1: all checks passed" || echo "$1: $failures checks failed"
  exit $((failures > 0))
}
