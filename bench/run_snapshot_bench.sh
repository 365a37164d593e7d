#!/bin/bash
# run_snapshot_bench.sh [PREFIX] [RUNS]
# Times one snapshot (snapshot_bench.exe: WriteConfiguration of HKLM, HKCU, HKU and C:\)
# against walker.exe, which only enumerates the same roots, on the load prefix of
# bench/make_load_prefix.sh (default build/bench-prefix). One warm-up run of each, then
# RUNS (default 5) alternating timed runs; prints all samples and their medians.
#
# QW_SNAPSHOT_BENCH names another snapshot_bench.exe (an older build, to compare with);
# QW_SNAPSHOT_ARGS adds options to it (for example --threads=1).
#
# walker.cpp comes from the shared benchmark folder: $QW_BENCH_SHARED when set, else
# ../shared/bench beside the project folder. It is built into build/bench/<arch>/.
# The 32-bit build is measured where this host can run 32-bit Wine, else the 64-bit
# one; build it first (./scripts/build.sh x86_64 or i686).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
PREFIX=$(realpath -m "${1:-$ROOT/build/bench-prefix}")
RUNS=${2:-5}
SHARED=$(realpath -m "${QW_BENCH_SHARED:-$ROOT/../shared/bench}")

[ -f "$PREFIX/.bench-ready" ] || {
  echo "no load prefix at $PREFIX: make it with bench/make_load_prefix.sh" >&2; exit 1; }
[ -f "$SHARED/walker.cpp" ] || {
  echo "walker.cpp not found in $SHARED (set QW_BENCH_SHARED)" >&2; exit 1; }

QW_ROOT=$ROOT
if /usr/lib/wine/wine --version >/dev/null 2>&1; then QW_ARCH=i686; else QW_ARCH=x86_64; fi
QW_WINEPREFIX=$PREFIX
source "$ROOT/scripts/wine-env.sh"
unset DISPLAY

BENCH=${QW_SNAPSHOT_BENCH:-$ROOT/build/$QW_ARCH/bin/snapshot_bench.exe}
[ -f "$BENCH" ] || { echo "$BENCH missing: run ./scripts/build.sh $QW_ARCH" >&2; exit 1; }
OUT=$ROOT/build/bench/$QW_ARCH
mkdir -p "$OUT"
WALKER=$OUT/walker.exe
if [ ! -f "$WALKER" ] || [ "$SHARED/walker.cpp" -nt "$WALKER" ]; then
  "$QW_ARCH-w64-mingw32-g++-posix" -O2 -static -municode "$SHARED/walker.cpp" -o "$WALKER"
fi
# The snapshot file goes outside drive_c (Z: is the host root), so that no run
# walks the file of the one before.
DAT=$OUT/snapshot_bench.dat
DAT_WIN="Z:${DAT//\//\\}"
ERRLOG=$OUT/snapshot_bench.stderr

now() { date +%s%N; }
# Figures use a decimal point whatever the locale of the Wine runs (de_DE) says.
median() { LC_ALL=C sort -g | LC_ALL=C awk '{a[NR]=$1} END {if (NR == 0) print "n/a"; else if (NR % 2) print a[(NR+1)/2]; else print (a[NR/2]+a[NR/2+1])/2}'; }
field() { sed -n "s/^$1=//p" <<<"$2"; }   # field KEY OUTPUT
div() { LC_ALL=C awk -v a="$1" -v b="$2" 'BEGIN {if (b + 0 == 0) print "n/a"; else printf "%.3f\n", a / b}'; }

W=("$QW_WINE" "$WALKER" reg HKLM reg HKCU reg HKU dir 'C:\')
S=("$QW_WINE" "$BENCH" "$DAT_WIN" ${QW_SNAPSHOT_ARGS:-})

wineserver -p                         # one server for all runs: a process starts in ~0.1 s
trap 'wineserver -k 2>/dev/null || true' EXIT
qw_start_services

walker_run() {
  local t0 out; t0=$(now)
  out=$("${W[@]}" </dev/null | tr -d '\r')
  wwall+=($(( ($(now) - t0) / 1000000 )))
  local reg dir
  reg=$(sed -n 's/^REG .*ms=\([0-9]*\).*/\1/p' <<<"$out")
  dir=$(sed -n 's/^DIR .*ms=\([0-9]*\).*/\1/p' <<<"$out")
  wreg+=("$reg"); wdir+=("$dir"); wsum+=($(( reg + dir )))
  wout=$out
}

snapshot_run() {
  local t0 out rc=0; t0=$(now)
  out=$("${S[@]}" </dev/null 2>"$ERRLOG" | tr -d '\r') || rc=$?
  swall+=($(( ($(now) - t0) / 1000000 )))
  if [ "$rc" -ne 0 ] || [ -z "$(field MS "$out")" ]; then
    echo "snapshot_bench failed (exit $rc):" >&2; echo "$out" >&2; tr -d '\r' <"$ERRLOG" >&2; exit 1
  fi
  sms+=("$(field MS "$out")"); sfile+=("$(field FILE_BYTES "$out")")
  spriv+=("$(field PEAK_PRIVATE "$out")"); sprivg+=("$(field PEAK_PRIVATE_GROWTH "$out")")
  sws+=("$(field PEAK_WS "$out")"); swsg+=("$(field PEAK_WS_GROWTH "$out")")
  sprivr+=("$(field PEAK_PRIVATE_PER_FILE "$out")"); sprivgr+=("$(field PEAK_PRIVATE_GROWTH_PER_FILE "$out")")
  swsr+=("$(field PEAK_WS_PER_FILE "$out")"); swsgr+=("$(field PEAK_WS_GROWTH_PER_FILE "$out")")
  smsg+=("$(field MESSAGES "$out")")
  sout=$out
  if [ -s "$ERRLOG" ]; then echo "--- messages of the snapshot ---"; tr -d '\r' <"$ERRLOG"; fi
}

echo "prefix $PREFIX ($WINEARCH), $RUNS runs"
echo "walker:   ${W[*]:1}"
echo "snapshot: ${S[*]:1}"
# Warm-up (page cache, registry in the server); figures discarded.
wwall=(); wreg=(); wdir=(); wsum=(); swall=(); sms=(); sfile=(); spriv=(); sprivg=()
sws=(); swsg=(); sprivr=(); sprivgr=(); swsr=(); swsgr=(); smsg=()
walker_run; snapshot_run
wwall=(); wreg=(); wdir=(); wsum=(); swall=(); sms=(); sfile=(); spriv=(); sprivg=()
sws=(); swsg=(); sprivr=(); sprivgr=(); swsr=(); swsgr=(); smsg=()

ratio=(); wratio=()
for i in $(seq "$RUNS"); do
  walker_run; snapshot_run
  ratio+=("$(div "${sms[-1]}" "${wsum[-1]}")")
  wratio+=("$(div "${swall[-1]}" "${wwall[-1]}")")
done

echo "--- walker output (last run) ---"; echo "$wout"
echo "--- snapshot_bench output (last run) ---"; echo "$sout"

row() {  # row LABEL SAMPLES...
  local label=$1; shift
  printf '%-34s %14s  [%s]\n' "$label" "$(printf '%s\n' "$@" | median)" "$*"
}
m_sms=$(printf '%s\n' "${sms[@]}" | median); m_wsum=$(printf '%s\n' "${wsum[@]}" | median)
m_swall=$(printf '%s\n' "${swall[@]}" | median); m_wwall=$(printf '%s\n' "${wwall[@]}" | median)
echo "--- medians of $RUNS runs; all samples in [] ---"
row "walker registry ms"                 "${wreg[@]}"
row "walker files ms"                    "${wdir[@]}"
row "walker total ms (registry+files)"   "${wsum[@]}"
row "walker wall ms (process)"           "${wwall[@]}"
row "snapshot ms (WriteConfiguration)"   "${sms[@]}"
row "snapshot wall ms (process)"         "${swall[@]}"
row "ratio snapshot/walker (per run)"    "${ratio[@]}"
row "ratio wall snapshot/walker"         "${wratio[@]}"
printf '%-34s %14s\n' "ratio of the medians" "$(div "$m_sms" "$m_wsum")"
printf '%-34s %14s\n' "ratio of the wall medians" "$(div "$m_swall" "$m_wwall")"
row "file bytes"                         "${sfile[@]}"
row "peak private bytes"                 "${spriv[@]}"
row "peak private growth"                "${sprivg[@]}"
row "peak working set"                   "${sws[@]}"
row "peak working set growth"            "${swsg[@]}"
row "peak private / file"                "${sprivr[@]}"
row "peak private growth / file"         "${sprivgr[@]}"
row "peak working set / file"            "${swsr[@]}"
row "peak working set growth / file"     "${swsgr[@]}"
row "messages shown"                     "${smsg[@]}"
echo "targets: ratio snapshot/walker <= 0.8 (median per pair); peak memory < 3 x file size"
