#!/usr/bin/env bash
# Builds and runs the open/save benchmark of the document window under Wine on a
# private display; prints the figures. VELMORA_BUILD: the build folder (default: build).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
export VELMORA_BUILD=${VELMORA_BUILD:-$root/build}
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" win >/dev/null 2>&1 || true
cmake --build "$VELMORA_BUILD/win" --target document_file_benchmark -j "${VELMORA_JOBS:-2}" >/dev/null
source "$root/scripts/wine-env.sh"
trap velmora_stop EXIT
velmora_start_xvfb
velmora_ensure_prefix
velmora_start_wineserver
cd "$VELMORA_BUILD/win/bench/documents"
timeout 600 wine ./document_file_benchmark.exe 2> /dev/null
