#!/bin/bash
# Configures and builds one or both targets: build.sh [i686|x86_64]...
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ARCHS=("$@")
[ ${#ARCHS[@]} -gt 0 ] || ARCHS=(i686 x86_64)
for arch in "${ARCHS[@]}"; do
  dir="$ROOT/build/$arch"
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  cmake --build "$dir" -j "$(nproc)"
done
