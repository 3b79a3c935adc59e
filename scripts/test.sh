#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the host tests
# (with sanitizers) and the Windows tests under Wine on a private X display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export VELMORA_BUILD=${VELMORA_BUILD:-$root/build}

bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" all

# One CTest summary over both builds.
cat >"$VELMORA_BUILD/CTestTestfile.cmake" <<CTEST
subdirs("host" "win")
CTEST

source "$root/scripts/wine-env.sh"
trap velmora_stop EXIT
velmora_start_xvfb
velmora_ensure_prefix
velmora_start_wineserver

cd "$VELMORA_BUILD"
ctest --output-on-failure -j "${VELMORA_TEST_JOBS:-2}" "$@"
