#!/usr/bin/env bash
# Starts Velmora.exe in a Wine virtual desktop on a private Xvfb, performs a few
# actions and saves a screenshot of the desktop as a PNG.
# Usage: screenshot.sh OUT.png [ACTION...]
#   key:KEYS        xdotool key names, e.g. key:ctrl+n  key:alt+e
#   type:TEXT       types text (ASCII)
#   click:X,Y       clicks at desktop coordinates
#   hover:X,Y       rests the pointer at desktop coordinates (balloon hints)
#   wait:SECONDS    waits
#   menu:N          opens the N-th menu of the menu bar (1 = 文件)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "$1")
shift
export VELMORA_BUILD=${VELMORA_BUILD:-$root/build}

bash "$root/scripts/setup.sh"
source "$root/scripts/windows-arch.sh"
velmora_select_windows_arch
bash "$root/scripts/build.sh" win >/dev/null 2>&1 || cmake --build "$VELMORA_WIN_BUILD" --target Velmora >/dev/null

source "$root/scripts/wine-env.sh"
trap velmora_stop EXIT
velmora_start_xvfb
velmora_ensure_prefix

cd "$VELMORA_WIN_BUILD/program"
velmora_start_on_desktop 'Velmora—词库生成系统' Velmora.exe
window=$velmora_shown_window

for action in "$@"; do
  case "$action" in
    key:*) xdotool key --delay 80 ${action#key:} ;;
    type:*) xdotool type --delay 60 "${action#type:}" ;;
    click:*) xy=${action#click:}; xdotool mousemove "${xy%,*}" "${xy#*,}" click 1 ;;
    hover:*) xy=${action#hover:}; xdotool mousemove "${xy%,*}" "${xy#*,}" ;;
    wait:*) sleep "${action#wait:}" ;;
    menu:*) [ -n "$window" ] && xdotool windowactivate "$window" 2>/dev/null || true
            xdotool key alt; for _ in $(seq 2 "${action#menu:}"); do xdotool key Right; done; xdotool key Down ;;
    *) echo "unknown action: $action" >&2; exit 2 ;;
  esac
  sleep 0.4
done
sleep 0.8
import -display "$DISPLAY" -window root "$out"
echo "$out"
