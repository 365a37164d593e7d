#!/bin/bash
# Takes a screenshot of the program for people: screenshot.sh OUT.png SECONDS [ARGS...]
# starts Quitaway.exe with ARGS in a virtual desktop on a virtual display,
# waits SECONDS and saves the screen. QW_ARCH as for the other helpers; QW_DPI sets
# the prefix's DPI (default 96), QW_SCREEN the desktop's size (default 1024x768).
# QW_WELCOME=1 lets the welcome dialog open at the start (else it is switched off).
# QW_KEYS: key steps typed after SECONDS, separated by blanks, each an xdotool key
# name ("alt+o", "Return"), "wait:N" (N seconds) or "click:X Y" written "click:X,Y"
# (a left click there; "rclick:X,Y" a right click), "type:TEXT" (TEXT typed, without blanks), "down:KEY" and
# "up:KEY" (a key held, as Ctrl during a click),
# e.g. QW_KEYS="alt+o e wait:2".
# The prefix is build/shot-prefix-<arch>, made once.
set -euo pipefail
QW_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QW_ARCH=${QW_ARCH:-x86_64}
OUT=$(realpath -m "${1:?output file}"); WAIT=${2:?seconds}; shift 2
QW_WINEPREFIX=$QW_ROOT/build/shot-prefix-$QW_ARCH
source "$QW_ROOT/scripts/wine-env.sh"
qw_ensure_prefix
dpi=${QW_DPI:-96}
"$QW_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
# The welcome dialog only when asked for (QW_WELCOME=1).
"$QW_WINE" reg add 'HKCU\Software\Velmoria\Velmoria Quitaway 2000\2.0' /v DontShowWelcome /t REG_DWORD \
  /d "$([ "${QW_WELCOME:-0}" = 1 ] && echo 0 || echo 1)" /f >/dev/null 2>&1
wineserver -w
display=:$((90 + RANDOM % 100))
screen=${QW_SCREEN:-1024x768}
Xvfb "$display" -screen 0 "${screen}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display "$QW_WINE" explorer /desktop=shot,"$screen" "$QW_ROOT/build/$QW_ARCH/bin/Quitaway.exe" "$@" \
  >/dev/null 2>&1 &
sleep "$WAIT"
for step in ${QW_KEYS:-}; do
  case $step in
    wait:*) sleep "${step#wait:}" ;;
    down:*) DISPLAY=$display xdotool keydown "${step#down:}" ;;
    up:*) DISPLAY=$display xdotool keyup "${step#up:}" ;;
    type:*) DISPLAY=$display xdotool type --delay 20 "${step#type:}"; sleep 0.3 ;;
    click:*) pos=${step#click:}; DISPLAY=$display xdotool mousemove "${pos%,*}" "${pos#*,}" click 1; sleep 0.5 ;;
    rclick:*) pos=${step#rclick:}; DISPLAY=$display xdotool mousemove "${pos%,*}" "${pos#*,}" click 3; sleep 0.5 ;;
    *) DISPLAY=$display xdotool key "$step"; sleep 0.3 ;;
  esac
done
sleep 0.5
import -display "$display" -window root "$OUT"
echo "$OUT"
