#!/bin/bash
# Installs everything the build and the tests need on a Debian 12 machine (as root).
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

PACKAGES=(wine wine32 wine64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 cmake make xvfb xauth locales
          googletest nsis wixl imagemagick xdotool fonts-wine jdupes)

missing=()
for p in "${PACKAGES[@]}"; do
  arch_p="$p"
  [ "$p" = wine32 ] && arch_p="wine32:i386"
  dpkg-query -W -f='${Status}' "$arch_p" 2>/dev/null | grep -q "install ok installed" || missing+=("$arch_p")
done

if [ ${#missing[@]} -gt 0 ] || ! dpkg --print-foreign-architectures | grep -qx i386; then
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Locales: German formats come from the glibc locale; English and Spanish for the catalogs.
need_locale=0
for l in de_DE.utf8 es_ES.utf8 en_US.utf8; do
  locale -a 2>/dev/null | grep -qx "$l" || need_locale=1
done
if [ $need_locale -eq 1 ]; then
  for l in de_DE es_ES en_US; do
    $SUDO sed -i "s/^# *\(${l}.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    grep -q "^${l}.UTF-8 UTF-8" /etc/locale.gen || echo "${l}.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
  done
  $SUDO locale-gen >/dev/null
fi

# The cross compilers must use the posix thread model (std::thread, std::mutex).
for t in i686 x86_64; do
  command -v "$t-w64-mingw32-g++-posix" >/dev/null || { echo "setup: $t-w64-mingw32-g++-posix missing" >&2; exit 1; }
done
[ -f /usr/src/googletest/CMakeLists.txt ] || { echo "setup: googletest sources missing" >&2; exit 1; }
exit 0
