#!/usr/bin/env bash
# Builds and runs the editor speed benchmark under Wine on a private display: every
# row of the table, ours beside the bare control and WordPad, with ratios.
# VELMORA_BUILD: the build folder (default: build). Arguments go to the benchmark
# (for example --gtest_filter=*ReplaceAll*).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/bench/support/wine-bench.sh" editor_speed_bench
cd "$VELMORA_WIN_BUILD/bench/editor"
timeout 1800 nice -n 10 wine ./editor_speed_bench.exe "$@" > editor_speed.out 2>/dev/null || true
iconv -f GBK -t UTF-8 editor_speed.out
