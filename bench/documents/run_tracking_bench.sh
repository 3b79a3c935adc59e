#!/usr/bin/env bash
# Builds and runs the caret-tracking benchmark under Wine on a private display.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/bench/support/wine-bench.sh" tracking_bench
timeout 300 wine "$VELMORA_WIN_BUILD/bench/documents/tracking_bench.exe"
