#!/usr/bin/env bash
# Builds and runs the caret-tracking benchmark under Wine on a private display.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
export VELMORA_BUILD=${VELMORA_BUILD:-$root/build}
bash "$root/scripts/build.sh" win >/dev/null
source "$root/scripts/wine-env.sh"
trap velmora_stop EXIT
velmora_start_xvfb
velmora_ensure_prefix
timeout 300 wine "$VELMORA_BUILD/win/bench/documents/tracking_bench.exe"
