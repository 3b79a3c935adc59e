# Sourced by the scripts: a Wine prefix and a private X display for one run.
# VELMORA_BUILD: the build folder; the tests' prefix lives inside it.
# VELMORA_WINEPREFIX: another prefix (the user's); VELMORA_VIRTUAL_DESKTOP=0 gives a
# prefix without the default virtual desktop, whose windows are ordinary windows of the
# user's desktop. The tests' prefix keeps the virtual desktop (fast dialogs, exit codes
# kept, screenshots of one 1024 x 768 screen).
# The Windows build (windows-arch.sh) decides the prefix's kind: 32-bit for the shipped
# programs, 64-bit with Wine's 64-bit loader first on PATH for the x86_64 build.

source "$(dirname "${BASH_SOURCE[0]}")/windows-arch.sh"
velmora_select_windows_arch
if [ "$VELMORA_WINDOWS_ARCH" = x86_64 ]; then
  export WINEARCH=win64
  case ":$PATH:" in
    *":$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64:"*) ;;
    *) PATH=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64:$PATH ;;
  esac
  export PATH WINELOADER=/usr/lib/wine/wine64
  velmora_default_prefix_name=wine-prefix64
else
  export WINEARCH=win32
  velmora_default_prefix_name=wine-prefix
fi
if [ -z "${VELMORA_WINEPREFIX:-}" ]; then
  : "${VELMORA_BUILD:?}"
  VELMORA_WINEPREFIX=$VELMORA_BUILD/$velmora_default_prefix_name
fi
export WINEPREFIX="$VELMORA_WINEPREFIX"
export WINEDEBUG=-all
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

velmora_xvfb_pid=""

# Starts a private Xvfb on a free display number and exports DISPLAY.
velmora_start_xvfb() {
  local fifo number
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  velmora_xvfb_pid=$!
  read -r -t 20 number <"$fifo" || { echo "Xvfb did not start" >&2; rm -f "$fifo"; return 1; }
  rm -f "$fifo"
  export DISPLAY=":$number"
}

# Creates the prefix once: code page 936 through the locale, the default virtual desktop
# unless VELMORA_VIRTUAL_DESKTOP=0, Marlett for the caption buttons.
velmora_ensure_prefix() {
  # A prefix made for the other kind of Windows cannot run this build's programs.
  if [ -f "$WINEPREFIX/.velmora-ready" ] && [ "$(cat "$WINEPREFIX/.velmora-ready")" = "$WINEARCH" ]; then return 0; fi
  local log="$WINEPREFIX.log"
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  echo "setting up the Wine prefix $WINEPREFIX (once, about 20 s)" >&2
  timeout 180 wineboot -i >"$log" 2>&1
  if [ "${VELMORA_VIRTUAL_DESKTOP:-1}" != 0 ]; then
    timeout 60 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >>"$log" 2>&1
    timeout 60 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >>"$log" 2>&1
  fi
  if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  fi
  timeout 60 wineserver -k || true
  timeout 60 wineserver -w || true
  echo "$WINEARCH" >"$WINEPREFIX/.velmora-ready"
}

# Keeps the wineserver alive between Wine calls: each program then starts fast.
velmora_start_wineserver() {
  wineserver -p
  timeout 60 wine cmd /c exit >/dev/null 2>&1 || true
}

velmora_stop() {
  timeout 30 wineserver -k >/dev/null 2>&1 || true
  timeout 30 wineserver -w >/dev/null 2>&1 || true
  if [ -n "$velmora_xvfb_pid" ]; then kill "$velmora_xvfb_pid" 2>/dev/null || true; fi
}

# A Unix path as Wine's programs see it, on drive Z:.
velmora_windows_path() {
  local p
  p=$(realpath -m "$1")
  p=${p//\//\\}
  printf 'Z:%s\n' "$p"
}

# Starts a program on a 1024x768 Wine desktop named "shot" (for screenshots) and waits,
# up to 30 s, for its window titled $1; the window's id, or nothing, is left in
# velmora_shown_window.
#   velmora_start_on_desktop TITLE PROGRAM [ARGUMENTS...]
velmora_start_on_desktop() {
  local title=$1
  shift
  timeout 120 wine explorer /desktop=shot,1024x768 "$@" >/dev/null 2>&1 &
  for _ in $(seq 1 60); do
    xdotool search --name "$title" >/dev/null 2>&1 && break
    sleep 0.5
  done
  sleep 1.5
  velmora_shown_window=$(xdotool search --name "$title" | head -1 || true)
}
