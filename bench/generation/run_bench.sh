#!/usr/bin/env bash
# Builds and runs the generation benchmark under Wine on a private display; prints
# the figures. VELMORA_BUILD: the build folder (default: build).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/bench/support/wine-bench.sh" generation_bench
cd "$VELMORA_WIN_BUILD/bench/generation"
timeout 600 wine ./generation_bench.exe | iconv -f GBK -t UTF-8
