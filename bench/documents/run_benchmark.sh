#!/usr/bin/env bash
# Builds and runs the open/save benchmark of the document window under Wine on a
# private display; prints the figures. VELMORA_BUILD: the build folder (default: build).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bash "$root/scripts/setup.sh"
source "$root/bench/support/wine-bench.sh" document_file_benchmark
cd "$VELMORA_WIN_BUILD/bench/documents"
timeout 600 wine ./document_file_benchmark.exe 2> /dev/null
