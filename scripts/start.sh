#!/usr/bin/env bash
# Installs what is missing, builds Velmora and starts it under Wine.
#
# With an X display: the editor starts as an ordinary window of that desktop, in the
# user's own prefix (build/wine-prefix-user, or build/wine-prefix-user64 for the 64-bit
# build; no virtual desktop).
# Without one (or with --job): runs the main job through the real editor on a private
# display and shows what happened: opens the sample word list, runs "生成" with a library
# name, waits for the compiler, prints the message pane's lines and the library's path,
# saves a screenshot, and exits 0; non-zero with the reason when a step fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export VELMORA_BUILD=${VELMORA_BUILD:-$root/build}

job=0
if [ "${1:-}" = --job ] || [ -z "${DISPLAY:-}" ]; then job=1; fi

fail() { echo "start.sh: $*" >&2; exit 1; }

bash "$root/scripts/setup.sh"
# The shipped 32-bit programs, or where the kernel runs no 32-bit code the same sources
# built for 64-bit Windows, in a 64-bit prefix of their own.
source "$root/scripts/windows-arch.sh"
velmora_select_windows_arch
if [ "$VELMORA_WINDOWS_ARCH" = x86_64 ]; then echo "start.sh: $(velmora_windows_arch_line)" >&2; fi
bash "$root/scripts/build.sh" win >"$VELMORA_BUILD/start-build.log" 2>&1 ||
  { tail -n 30 "$VELMORA_BUILD/start-build.log" >&2; fail "the build failed (log: $VELMORA_BUILD/start-build.log)"; }
program=$VELMORA_WIN_BUILD/program

if [ "$job" = 0 ]; then
  user_prefix=$VELMORA_BUILD/wine-prefix-user
  [ "$VELMORA_WINDOWS_ARCH" = x86_64 ] && user_prefix=${user_prefix}64
  export VELMORA_WINEPREFIX=$user_prefix VELMORA_VIRTUAL_DESKTOP=0
  source "$root/scripts/wine-env.sh"
  velmora_ensure_prefix
  exec wine "$program/Velmora.exe"
fi

source "$root/scripts/wine-env.sh"
source "$root/scripts/dist-lib.sh"
driver=$VELMORA_WIN_BUILD/tests/dist/velmora_main_job.exe
[ -f "$driver" ] || fail "no $driver"

trap velmora_stop EXIT
velmora_start_xvfb || fail "could not start a private X display (Xvfb)"
echo "没有显示器：在私有的显示器 $DISPLAY 上运行主要任务" >&2
velmora_ensure_prefix
velmora_start_wineserver

# A fresh working folder, as the installed shortcuts give one: the sample word list,
# and LIB\ where the library goes.
work=$VELMORA_BUILD/start-job
rm -rf "$work"
mkdir -p "$work/LIB"
velmora_gbk_text "$root/packaging/sample-word-list.txt" "$work/示例词库.txt"
name=sample
out=$work/job.out
err=$work/job.err

set +e
timeout --kill-after=5 300 wine "$driver" --editor "$(velmora_windows_path "$program/Velmora.exe")" \
  --workdir "$(velmora_windows_path "$work")" --open "$(velmora_windows_path "$work/示例词库.txt")" \
  --name "$name" --description "示例词库" --leave-open >"$out" 2>"$err"
status=$?
set -e
shot=$work/velmora.png
import -display "$DISPLAY" -window root "$shot" 2>/dev/null || shot=""
timeout 60 wine "$driver" --close >/dev/null 2>&1 || true

iconv -f GBK -t UTF-8 "$out"
if [ "$status" != 0 ]; then
  reason=$(iconv -f GBK -t UTF-8 "$err" | grep '^失败：' || true)
  [ -n "$reason" ] || reason="the job ended with code $status"
  [ -n "$shot" ] && echo "截图：$shot" >&2
  fail "$reason"
fi
library=$work/LIB/$name.LIB
[ -f "$library" ] || fail "no library at $library"
echo "词库文件：$library"
[ -n "$shot" ] && echo "截图：$shot"
exit 0
