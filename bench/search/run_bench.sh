#!/usr/bin/env bash
# Builds and runs the find and replace benchmark under Wine on a private display;
# prints the figures. VELMORA_BUILD: the build folder (default: build).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
export VELMORA_BUILD=${VELMORA_BUILD:-$root/build}
bash "$root/scripts/build.sh" win >/dev/null 2>&1 || true
cmake --build "$VELMORA_BUILD/win" --target find_replace_bench -j "${VELMORA_JOBS:-2}" >/dev/null
source "$root/scripts/wine-env.sh"
trap velmora_stop EXIT
velmora_start_xvfb
velmora_ensure_prefix
velmora_start_wineserver
cd "$VELMORA_BUILD/win/bench/search"
timeout 1200 wine ./find_replace_bench.exe "$@" | iconv -f GBK -t UTF-8
