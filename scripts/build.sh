#!/usr/bin/env bash
# Configures and builds: the Windows program (build/win) and the host code (build/host).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD:-$root/build}
jobs=${VELMORA_JOBS:-$(nproc)}

configure() {  # dir, extra args...
  local dir=$1
  shift
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  fi
}

what=${1:-all}
if [ "$what" = all ] || [ "$what" = win ]; then
  configure "$build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
  cmake --build "$build/win" -j "$jobs"
fi
if [ "$what" = all ] || [ "$what" = host ]; then
  configure "$build/host" -DVELMORA_SANITIZE=ON
  cmake --build "$build/host" -j "$jobs"
fi
