# Sourced by the Wine helpers: the environment of every run of the program and its
# tests. Expects QW_ARCH (i686 or x86_64) and QW_ROOT (the project folder).
#
# The 32-bit build runs in a 32-bit prefix, as on its own platform. Where the host
# kernel cannot execute 32-bit programs (some virtual machines), 32-bit Wine cannot
# start at all; the 64-bit build then runs in a 64-bit prefix instead.
QW_BUILD_DIR=${QW_BUILD_DIR:-$QW_ROOT/build}
if [ "$QW_ARCH" = i686 ]; then
  export WINEARCH=win32
  export WINEPREFIX=${QW_WINEPREFIX:-$QW_BUILD_DIR/wineprefix-win32}
  QW_WINE=/usr/lib/wine/wine
else
  export WINEARCH=win64
  export WINEPREFIX=${QW_WINEPREFIX:-$QW_BUILD_DIR/wineprefix-win64}
  QW_WINE=/usr/lib/wine/wine64
  export WINELOADER=$QW_WINE
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe,winedbg.exe=d"
export LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8
# The recycle bin of Wine is the host's trash folder: keep it inside the build.
export XDG_DATA_HOME=${QW_XDG_DATA_HOME:-$QW_BUILD_DIR/xdg-data}
mkdir -p "$XDG_DATA_HOME"

# Makes the prefix once (under a lock, tests may start in parallel).
qw_ensure_prefix() {
  [ -f "$WINEPREFIX/.qw-ready" ] && { qw_wine_fonts; return 0; }
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.qw-ready" ]; then
      rm -rf "$WINEPREFIX"
      "$QW_WINE" wineboot -i >/dev/null 2>&1 || true
      wineserver -w
      [ -f "$WINEPREFIX/system.reg" ] || { echo "wine prefix $WINEPREFIX could not be made" >&2; exit 1; }
      touch "$WINEPREFIX/.qw-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
  qw_wine_fonts
}

# Wine's own fonts (Tahoma, and Marlett for the caption buttons) come in a package
# of their own on Debian, which this Wine does not look into: the prefix gets copies.
qw_wine_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  [ -d /usr/share/wine/fonts ] && [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ] || return 0
  cp /usr/share/wine/fonts/*.ttf "$fonts/" 2>/dev/null || true
}

# True when this host can run 32-bit Wine.
qw_can_run_win32() {
  /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Starts the wineserver and Wine's background services detached from our output.
# Otherwise the services that the first program starts inherit its stdout and keep
# a caller that reads to the end of it (CTest) waiting until they exit.
qw_start_services() {
  "$QW_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# Drives T:, U: and V: of the test prefix are scratch folders of the build: tests that
# walk a whole drive (snapshots) walk one of them.
qw_test_drive() {
  local letter
  for letter in t u v; do  # one drive per test program that walks a drive
    local folder="$QW_BUILD_DIR/testdrive-$letter-$QW_ARCH"
    mkdir -p "$folder"
    [ -L "$WINEPREFIX/dosdevices/$letter:" ] || ln -sfn "$folder" "$WINEPREFIX/dosdevices/$letter:"
  done
  # A folder with a link back to its parent (Wine shows a link as a reparse point):
  # a walk that followed links would never end there.
  local links="$QW_BUILD_DIR/linkfixture-$QW_ARCH"
  mkdir -p "$links/inner"
  [ -L "$links/inner/up" ] || ln -sfn .. "$links/inner/up"
  export QW_LINK_FIXTURE="Z:${links//\//\\}\\"
}
