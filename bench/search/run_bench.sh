#!/usr/bin/env bash
# Builds and runs the find and replace benchmark under Wine on a private display;
# prints the figures. VELMORA_BUILD: the build folder (default: build).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/bench/support/wine-bench.sh" find_replace_bench
cd "$VELMORA_WIN_BUILD/bench/search"
timeout 1200 wine ./find_replace_bench.exe "$@" | iconv -f GBK -t UTF-8
