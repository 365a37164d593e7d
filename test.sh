#!/bin/bash
# Sets up what is missing, builds both targets and runs every test under Wine.
# Exits non-zero on any failure.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$ROOT"

if [ "${1:-}" != --tests-only ]; then
  ./scripts/setup.sh
  ./scripts/build.sh i686 x86_64
  # The window tests need a display: without one the tests run on a virtual one.
  if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --tests-only
  fi
fi

QW_ROOT=$ROOT
status=0
run_tests() {  # run_tests ARCH
  local QW_ARCH=$1
  source "$ROOT/scripts/wine-env.sh"
  qw_ensure_prefix
  # Windows not handed to a window manager: there is none on the virtual display, and
  # Wine would wait for one at every hidden window.
  "$QW_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  wineserver -w
  wineserver -p 60 || true  # one wineserver for the whole run (or the one running): a start costs ~0.1 s
  qw_start_services
  ctest --test-dir "$ROOT/build/$QW_ARCH" --output-on-failure -j 2 || status=1
  wineserver -k || true
}

if QW_ARCH=i686 QW_ROOT=$ROOT bash -c 'source scripts/wine-env.sh; qw_can_run_win32'; then
  echo "== Tests of the 32-bit build (32-bit Wine prefix)"
  run_tests i686
  echo "== Tests of the 64-bit build (64-bit Wine prefix)"
  run_tests x86_64
else
  echo "== This host cannot execute 32-bit programs, so 32-bit Wine cannot start."
  echo "== The 32-bit build was compiled; running the tests of the 64-bit build (64-bit Wine prefix)."
  run_tests x86_64
fi
exit $status
