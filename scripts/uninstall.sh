#!/usr/bin/env bash
# Removes what scripts/install.sh installed for the current user, as listed in its
# manifest, and Velmora's Wine prefix. The working folder ~/Velmora and the libraries
# in it are the user's and stay.
# Usage: uninstall.sh [--keep-prefix]   (--keep-prefix: install.sh replacing itself)
set -euo pipefail
data_home=${XDG_DATA_HOME:-$HOME/.local/share}
velmora_home=$data_home/velmora
manifest=$velmora_home/installed-files

if [ ! -f "$manifest" ]; then
  echo "Velmora 没有为当前用户安装（没有 $manifest）。"
  exit 0
fi

if [ "${1:-}" != --keep-prefix ] && [ -d "$velmora_home/wine-prefix" ]; then
  WINEPREFIX=$velmora_home/wine-prefix timeout 30 wineserver -k >/dev/null 2>&1 || true
  rm -rf "$velmora_home/wine-prefix" "$velmora_home/wine-prefix.log"
fi
# Written by the programs beside themselves.
rm -f "$velmora_home/program/Mervik.ERR" "$velmora_home/bin/Mervik.ERR"

folders=("$velmora_home")
while IFS= read -r line; do
  case "$line" in
    "f "*) [ "${line#f }" = "$manifest" ] || rm -f "${line#f }" ;;
    "d "*) folders+=("${line#d }") ;;
  esac
done <"$manifest"
rm -f "$manifest"
# Folders last, the longest path (so the deepest) first, each only when nothing else is
# left in it.
while IFS= read -r folder; do
  rmdir "$folder" 2>/dev/null || true
done < <(printf '%s\n' "${folders[@]}" | awk '{ print length($0) "\t" $0 }' | sort -rn -k1,1 | cut -f2-)

echo "Velmora 已卸载。"
if [ -d "$HOME/Velmora" ]; then echo "工作文件夹 $HOME/Velmora（其中的词库）保持不变。"; fi
