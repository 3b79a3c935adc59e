#!/usr/bin/env bash
# Figures of the long-session and large-file rows, under Wine on a private display:
# 1 MB and 10 MB documents opened and saved; "终止" on a hanging compiler 20 times; 1,000
# generation runs and 1,000 open/close cycles with the GDI and USER objects and private
# memory at their start and end (tests/hardening's rows with their full counts; the
# test command runs them with a few repetitions). The documents are opened and saved by
# bench/documents' benchmark. VELMORA_BUILD: the build folder (default: build).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/bench/support/wine-bench.sh" document_file_benchmark hardening_tests
cd "$VELMORA_WIN_BUILD/bench/documents"
timeout 900 wine ./document_file_benchmark.exe 1048576 10485760 2>/dev/null | iconv -f GBK -t UTF-8
cd "$VELMORA_WIN_BUILD/tests/hardening"
VELMORA_HARDENING_STOPS=${VELMORA_HARDENING_STOPS:-20} VELMORA_HARDENING_RUNS=${VELMORA_HARDENING_RUNS:-1000} \
VELMORA_HARDENING_CYCLES=${VELMORA_HARDENING_CYCLES:-1000} \
  timeout 3600 wine ./hardening_tests.exe --gtest_filter='Long*' 2>/dev/null | iconv -f GBK -t UTF-8 |
  grep -E '^\[ *(figures|  OK|  FAILED|  PASSED) |Failure|Expected|Which is|actual'
