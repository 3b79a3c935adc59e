# Sourced by the benchmarks' run scripts, after they set root=: builds the Windows tree
# and the benchmark targets named, then starts a private display, the Wine prefix and
# its server, all stopped when the script exits.
#   source "$root/bench/support/wine-bench.sh" TARGET...
# VELMORA_BUILD: the build folder (default: build).
export VELMORA_BUILD=${VELMORA_BUILD:-$root/build}
source "$root/scripts/windows-arch.sh"
velmora_select_windows_arch
bash "$root/scripts/build.sh" win >/dev/null 2>&1 || true
cmake --build "$VELMORA_WIN_BUILD" --target "$@" -j "${VELMORA_JOBS:-2}" >/dev/null
source "$root/scripts/wine-env.sh"
trap velmora_stop EXIT
velmora_start_xvfb
velmora_ensure_prefix
velmora_start_wineserver
