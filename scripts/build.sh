#!/usr/bin/env bash
# Configures and builds: the Windows program (build/win, or build/win64 for the x86_64
# build that windows-arch.sh chooses where the kernel runs no 32-bit code), the host code
# (build/host) and, with "all", the code built with warnings as errors in package.sh's
# release configuration (build/release-check, always the shipped 32-bit kind): -O3 warns
# where -O2 is silent.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD:-$root/build}
jobs=${VELMORA_JOBS:-$(nproc)}
VELMORA_BUILD=$build
source "$root/scripts/windows-arch.sh"
velmora_select_windows_arch

# ccache with paths taken relative to the source folder: a second checkout of the same
# sources (a clean clone, a helper's work tree) reuses the first one's objects.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=true
fi

configure() {  # dir, extra args...
  local dir=$1
  shift
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
  fi
}

what=${1:-all}
if [ "$what" = all ] || [ "$what" = win ]; then
  configure "$VELMORA_WIN_BUILD" -DCMAKE_TOOLCHAIN_FILE="$VELMORA_TOOLCHAIN_FILE"
  cmake --build "$VELMORA_WIN_BUILD" -j "$jobs"
fi
if [ "$what" = all ] || [ "$what" = host ]; then
  configure "$build/host" -DVELMORA_SANITIZE=ON
  cmake --build "$build/host" -j "$jobs"
fi
if [ "$what" = all ] || [ "$what" = release-check ]; then
  dir=$build/release-check
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
      "${launcher[@]}" >/dev/null
  fi
  cmake --build "$dir" -j "$jobs" --target velmora_logic lexicon_base lexicon_checks lexicon_wordlist lexicon_library \
    lexicon_exchange lexicon_program lexicon_memory
fi
