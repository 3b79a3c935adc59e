#!/usr/bin/env bash
# Starts KORVEX.EXE in a Wine virtual desktop on a private Xvfb with a small library of
# Chinese entries, types a filter and saves a screenshot of the desktop as a PNG.
# Usage: korvex/screenshot.sh OUT.png [FILTER]   (FILTER default: file)
# xdotool types ASCII only into Wine (its remapped keys are not seen there), so the
# filter is an ASCII word; it matches Chinese entries through their originals.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "$1")
filter=${2:-file}
export VELMORA_BUILD=${VELMORA_BUILD:-$root/build}
source "$root/scripts/windows-arch.sh"
velmora_select_windows_arch
bash "$root/scripts/build.sh" win >/dev/null 2>&1 || cmake --build "$VELMORA_WIN_BUILD" --target korvex mervik >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/menu.txt" <<'WORDS'
&File=&F.文件
&New=&N.新建
&Open...=&O.打开...
&Save=&S.保存
Save &As...=另存为(&A)...
Open word list=打开词库
Close file=关闭文件
Print %d pages=打印 %d 页
File not found: %s=找不到文件：%s
Find next=查找下一个
Replace all=全部替换
Word list=词库
Export word list=导出词表
Import word list=导入词表
The file %s is read-only.=文件 %s 是只读的。
WORDS
iconv -f UTF-8 -t GBK "$work/menu.txt" >"$work/menu.trs"

source "$root/scripts/wine-env.sh"
stop() { velmora_stop; rm -rf "$work"; }
trap stop EXIT
velmora_start_xvfb
velmora_ensure_prefix
cp "$VELMORA_WIN_BUILD/program/KORVEX.EXE" "$VELMORA_WIN_BUILD/program/Mervik.exe" "$work/"
cd "$work"
timeout 60 wine ./Mervik.exe menu.trs "LIB\\菜单" "软件菜单" >/dev/null 2>&1
velmora_start_on_desktop '词库编辑器' KORVEX.EXE "LIB\\菜单.LIB"
window=$velmora_shown_window
[ -n "$window" ] && xdotool windowactivate "$window" 2>/dev/null || true
xdotool key ctrl+f
sleep 0.3
xdotool type --delay 120 "$filter"
sleep 1
import -display "$DISPLAY" -window root "$out"
echo "$out"
