#!/usr/bin/env bash
# Builds and runs the generation benchmark under Wine on a private display; prints
# the figures. VELMORA_BUILD: the build folder (default: build).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
export VELMORA_BUILD=${VELMORA_BUILD:-$root/build}
bash "$root/scripts/build.sh" win >/dev/null 2>&1 || true
cmake --build "$VELMORA_BUILD/win" --target generation_bench -j "${VELMORA_JOBS:-2}" >/dev/null
source "$root/scripts/wine-env.sh"
trap velmora_stop EXIT
velmora_start_xvfb
velmora_ensure_prefix
velmora_start_wineserver
cd "$VELMORA_BUILD/win/bench/generation"
timeout 600 wine ./generation_bench.exe | iconv -f GBK -t UTF-8
