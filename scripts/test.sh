#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the host tests
# (with sanitizers) and the Windows tests under Wine on a private X display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export VELMORA_BUILD=${VELMORA_BUILD:-$root/build}

bash "$root/scripts/setup.sh"
# Which Windows build is tested, and why: said first and again beside CTest's summary.
source "$root/scripts/windows-arch.sh"
velmora_select_windows_arch
arch_line=$(velmora_windows_arch_line)
echo "test.sh: $arch_line"
bash "$root/scripts/build.sh" all

# The style checks (formatter, include rule, clang-tidy): their findings fail the
# run, after the tests have run too. VELMORA_LINT=0 leaves them out of a quick run.
lint=0
if [ "${VELMORA_LINT:-1}" != 0 ]; then
  bash "$root/scripts/lint.sh" || lint=$?
fi

# One CTest summary over both builds.
cat >"$VELMORA_BUILD/CTestTestfile.cmake" <<CTEST
subdirs("host" "$VELMORA_WIN_DIR_NAME")
CTEST

source "$root/scripts/wine-env.sh"
trap velmora_stop EXIT
velmora_start_xvfb
velmora_ensure_prefix
velmora_start_wineserver

cd "$VELMORA_BUILD"
status=0
ctest --output-on-failure -j "${VELMORA_TEST_JOBS:-2}" "$@" || status=$?
echo "test.sh: $arch_line"
if [ "$VELMORA_WINDOWS_ARCH" = x86_64 ]; then
  echo "test.sh: skipped on the x86_64 build: wine.dist.installer (the installer is a 32-bit program, NSIS, which a 64-bit Wine prefix cannot run)"
fi
if [ "$lint" != 0 ]; then
  echo "test.sh: scripts/lint.sh failed (see above)" >&2
  [ "$status" != 0 ] || status=$lint
fi
exit "$status"
