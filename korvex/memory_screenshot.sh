#!/usr/bin/env bash
# Starts KORVEX.EXE in a Wine virtual desktop on a private Xvfb with a library whose LIB
# folder holds a second library, selects an entry and saves a screenshot of the desktop
# (the suggestion pane with the memory's Chinese suggestions and their scores) as a PNG.
# With TOOL, one of the memory's tool windows is opened over it through the 工具 menu:
# "concordance:WORD" searches WORD (ASCII: xdotool types nothing else into Wine),
# "consistency" shows the consistency report.
# Usage: korvex/memory_screenshot.sh OUT.png [ROWS_DOWN] [TOOL]   (ROWS_DOWN default: 3)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "$1")
down=${2:-3}
tool=${3:-}
export VELMORA_BUILD=${VELMORA_BUILD:-$root/build}
source "$root/scripts/windows-arch.sh"
velmora_select_windows_arch
[ -x "$VELMORA_WIN_BUILD/program/KORVEX.EXE" ] || cmake --build "$VELMORA_WIN_BUILD" --target korvex mervik >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/new.txt" <<'WORDS'
&File=文件(&F)
Save &As...=另存
Open word list=打开
Version 3.2=版本
Print 5 pages=打印
Close all files=全部关闭
WORDS
cat >"$work/common.txt" <<'WORDS'
&File=文件(&F)
Sa&ve As...=另存为(&V)...
Save as copy=保存副本
Save=保存
Open a word list=打开词表
Open word lists=打开多个词表
Open list=打开列表
Version 2.0=版本 2.0
Print %d pages=打印 %d 页
Print 1 page=打印 1 页
Close all=全部关闭
Close all windows=关闭所有窗口
WORDS
iconv -f UTF-8 -t GBK "$work/new.txt" >"$work/new.trs"
iconv -f UTF-8 -t GBK "$work/common.txt" >"$work/common.trs"

source "$root/scripts/wine-env.sh"
stop() { velmora_stop; rm -rf "$work"; }
trap stop EXIT
velmora_start_xvfb
velmora_ensure_prefix
cp "$VELMORA_WIN_BUILD/program/KORVEX.EXE" "$VELMORA_WIN_BUILD/program/Mervik.exe" "$work/"
cd "$work"
timeout 60 wine ./Mervik.exe new.trs "LIB\\新词库" "新的词库" >/dev/null 2>&1
timeout 60 wine ./Mervik.exe common.trs "LIB\\通用" "通用词库" >/dev/null 2>&1
velmora_start_on_desktop '词库编辑器' KORVEX.EXE "LIB\\新词库.LIB"
window=$velmora_shown_window
[ -n "$window" ] && xdotool windowactivate "$window" 2>/dev/null || true
xdotool key Home
for _ in $(seq 1 "$down"); do
  sleep 0.2
  xdotool key Down
done
sleep 1
case "$tool" in
concordance:*)
  xdotool key alt+t
  sleep 0.5
  xdotool key c
  sleep 1
  xdotool type --delay 80 "${tool#concordance:}"
  xdotool key Return
  sleep 1.5
  ;;
consistency)
  xdotool key alt+t
  sleep 0.5
  xdotool key k
  sleep 2
  ;;
esac
import -display "$DISPLAY" -window root "$out"
echo "$out"
