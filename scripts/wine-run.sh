#!/bin/bash
# Runs a Windows program of the build under Wine with the project's settings:
#   wine-run.sh --arch=i686|x86_64 PROGRAM.exe [ARGS...]
# CMake uses it as the emulator of the cross builds, so CTest runs every test here.
set -euo pipefail
QW_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QW_ARCH=x86_64
case "${1:-}" in --arch=*) QW_ARCH=${1#--arch=}; shift ;; esac
source "$QW_ROOT/scripts/wine-env.sh"
qw_ensure_prefix
qw_test_drive
qw_start_services
exec "$QW_WINE" "$@"
