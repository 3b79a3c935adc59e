#!/usr/bin/env bash
# Installs what is missing, builds Velmora.exe and starts it under Wine. Uses the
# current X display when there is one, else a private Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export VELMORA_BUILD=${VELMORA_BUILD:-$root/build}

bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" win

source "$root/scripts/wine-env.sh"
if [ -z "${DISPLAY:-}" ]; then
  trap velmora_stop EXIT
  velmora_start_xvfb
  echo "no X display: running on a private Xvfb at $DISPLAY" >&2
fi
velmora_ensure_prefix
wine "$VELMORA_BUILD/win/program/Velmora.exe"
