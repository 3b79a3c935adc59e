#!/usr/bin/env bash
# install.sh into an empty home: the velmora command (which starts the editor as an
# ordinary window), the desktop entry with its icon, mervik with its manual page;
# uninstall.sh then leaves nothing but the user's working folder.
source "$(dirname "$0")/test-lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The compiler cache stays where it is; only the installation sees the new home.
export CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir 2>/dev/null || echo "$HOME/.cache/ccache")}
export HOME=$work/home
unset XDG_DATA_HOME
mkdir -p "$HOME"

check "install.sh succeeds" bash "$VELMORA_SOURCE/scripts/install.sh"
share=$HOME/.local/share
check "the velmora command is installed" test -x "$HOME/.local/bin/velmora"
check "the velmora command starts the installed editor under Wine" \
  grep -q 'exec wine "$velmora_home/program/Velmora.exe"' "$HOME/.local/bin/velmora"
check "the program folder holds the editor and the compiler" \
  test -f "$share/velmora/program/Velmora.exe" -a -f "$share/velmora/program/Mervik.exe"
desktop=$share/applications/velmora.desktop
check "the desktop entry runs the velmora command" has_line "$desktop" "Exec=$HOME/.local/bin/velmora"
check "the desktop entry names its icon" has_line "$desktop" "Icon=velmora"
if command -v desktop-file-validate >/dev/null; then check "the desktop entry is valid" desktop-file-validate "$desktop"; fi
check "the icon is a PNG" is_png "$share/icons/hicolor/32x32/apps/velmora.png"
check "mervik --version runs" bash -c "'$HOME/.local/bin/mervik' --version | grep -q '^Mervik [0-9]'"
check "mervik has a manual page" grep -q '^\.TH MERVIK 1 .*Velmora [0-9]' "$share/man/man1/mervik.1"

# The velmora command starts the editor in its own prefix without a virtual desktop: the
# main window is then a window of the X display itself (in a virtual desktop it would be
# drawn inside the desktop's one X window and have none of its own).
timeout 120 "$HOME/.local/bin/velmora" >"$work/velmora.log" 2>&1 &
velmora=$!
shown=""
for _ in $(seq 1 120); do
  shown=$(xdotool search --name '^Velmora—词库生成系统$' 2>/dev/null | head -1 || true)
  [ -n "$shown" ] && break
  kill -0 "$velmora" 2>/dev/null || break
  sleep 0.5
done
check "the velmora command shows the main window as an ordinary X window" test -n "$shown"
check "the velmora command makes the working folder with LIB/" test -d "$HOME/Velmora/LIB"
WINEPREFIX=$share/velmora/wine-prefix timeout 30 wineserver -k >/dev/null 2>&1 || true
wait "$velmora" 2>/dev/null || true

# A second install replaces the first without leaving anything of it behind.
check "install.sh a second time succeeds" bash "$VELMORA_SOURCE/scripts/install.sh"
check "uninstall.sh succeeds" bash "$VELMORA_SOURCE/scripts/uninstall.sh"
# Only the user's working folder stays.
left=$(find "$HOME" -mindepth 1 -not -path "$HOME/Velmora" -not -path "$HOME/Velmora/*")
check "uninstall.sh leaves nothing but the working folder" test -z "$left"
[ -z "$left" ] || echo "$left" >&2
finish
