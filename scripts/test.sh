#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the host tests
# (with sanitizers) and the Windows tests under Wine on a private X display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export VELMORA_BUILD=${VELMORA_BUILD:-$root/build}

bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" all

# The style checks (formatter, include rule, clang-tidy): their findings fail the
# run, after the tests have run too. VELMORA_LINT=0 leaves them out of a quick run.
lint=0
if [ "${VELMORA_LINT:-1}" != 0 ]; then
  bash "$root/scripts/lint.sh" || lint=$?
fi

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
status=0
ctest --output-on-failure -j "${VELMORA_TEST_JOBS:-2}" "$@" || status=$?
if [ "$lint" != 0 ]; then
  echo "test.sh: scripts/lint.sh failed (see above)" >&2
  [ "$status" != 0 ] || status=$lint
fi
exit "$status"
