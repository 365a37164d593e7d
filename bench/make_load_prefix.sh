#!/bin/bash
# make_load_prefix.sh [PREFIX] [NFILES] [NKEYS]
# Makes a fresh Wine prefix for the snapshot benchmark and fills it with the synthetic
# load of the shared benchmark tools: NFILES files (default 100,000) under C:\bench and
# NKEYS registry keys (default 50,000) under HKLM and HKCU\Software\BenchVendor.
# Prints the time of each step.
#
# The prefix is 32-bit when this host can run 32-bit Wine, otherwise 64-bit (some
# kernels cannot execute 32-bit programs at all). The Wine settings are those of
# scripts/wine-env.sh. Default PREFIX: build/bench-prefix.
#
# The load generator (gen_load.py) is taken from the shared benchmark folder:
# $QW_BENCH_SHARED when set, else ../shared/bench beside the project folder.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
PREFIX=$(realpath -m "${1:-$ROOT/build/bench-prefix}")
NFILES=${2:-100000}
NKEYS=${3:-50000}
SHARED=$(realpath -m "${QW_BENCH_SHARED:-$ROOT/../shared/bench}")
GEN=$SHARED/gen_load.py
[ -f "$GEN" ] || { echo "gen_load.py not found in $SHARED (set QW_BENCH_SHARED)" >&2; exit 1; }

if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  export WINEARCH=win32
  WINE=/usr/lib/wine/wine
  unset WINELOADER
else
  export WINEARCH=win64
  WINE=/usr/lib/wine/wine64
  export WINELOADER=$WINE
fi
export WINEPREFIX=$PREFIX WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe,winedbg.exe=d"
export LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8     # UTF-8 locale: umlaut names map 1:1
unset DISPLAY                                  # headless; wineboot needs no window

step() {  # step LABEL CMD... : runs CMD and prints its wall time
  local label=$1; shift; local t0; t0=$(date +%s%N)
  "$@"
  printf '%-28s %8d ms\n' "$label" $(( ($(date +%s%N) - t0) / 1000000 ))
}

[ -e "$PREFIX" ] && { echo "refusing: $PREFIX exists" >&2; exit 1; }
mkdir -p "$(dirname "$PREFIX")"
echo "prefix $PREFIX ($WINEARCH), $NFILES files, $NKEYS keys"
step "wineboot -i"        "$WINE" wineboot -i
step "wineserver -w"      wineserver -w
# Wine links C:\users\<user>\{Desktop,Documents,...} to the host's home folder. Replace
# the links by empty folders so that C:\ does not reach into the host's home.
sandbox() { find "$PREFIX/drive_c/users" -type l -print -exec sh -c 'rm "$1" && mkdir "$1"' _ {} \; | wc -l; }
step "sandbox user dirs"  sandbox
step "files ($NFILES)"    python3 "$GEN" files "$PREFIX/drive_c" "$NFILES"
REG=$PREFIX/bench_load.reg                     # outside drive_c: not part of the walk
step "gen .reg ($NKEYS)"  python3 "$GEN" reg "$REG" "$NKEYS"
step "regedit /S import"  "$WINE" regedit /S "Z:${REG//\//\\}"
step "wineserver -w"      wineserver -w        # writes system.reg/user.reg to disk
touch "$PREFIX/.bench-ready"
du -sh "$PREFIX/drive_c" "$PREFIX"/*.reg
