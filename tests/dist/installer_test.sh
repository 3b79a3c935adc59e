#!/usr/bin/env bash
# The installer in a fresh prefix, as a user runs it: silent install per user under the
# local application data folder, the installed editor runs the main job from the Start
# menu shortcut's working folder, and the uninstaller removes the program, the shortcuts
# and its registry entry but leaves the user's libraries.
source "$(dirname "$0")/test-lib.sh"
work=$(mktemp -d)
# A prefix and a home of the test's own: the user's folders of a fresh prefix point into
# the home.
export HOME=$work/home VELMORA_VIRTUAL_DESKTOP=0
export VELMORA_WINEPREFIX=$work/prefix WINEPREFIX=$work/prefix
mkdir -p "$HOME"
cleanup() {
  timeout 30 wineserver -k >/dev/null 2>&1 || true
  timeout 30 wineserver -w >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
velmora_ensure_prefix
velmora_start_wineserver
users=$WINEPREFIX/drive_c/users/$(id -un)
[ -d "$users" ] || users=$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v '/Public/$' | head -1)
users=${users%/}
# The package has the library editor and the help file, so their shortcuts are checked too.
setup=$(ls "$VELMORA_ARTEFACTS"/current/Velmora-*-setup.exe)

check "the installer runs silently and succeeds" timeout 300 wine "$setup" /S
program=$users/AppData/Local/Velmora
menu="$users/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Velmora"
for file in Velmora.exe Mervik.exe KORVEX.EXE Saffel.hlp uninst.exe 使用说明.txt 示例词库.txt; do
  check "installed per user: $file" test -f "$program/$file"
done
for shortcut in "Velmora 词库生成系统" 词库编辑程序 帮助 使用说明 "卸载 Velmora"; do
  check "the Start menu has the shortcut $shortcut" test -f "$menu/$shortcut.lnk"
done
check "the uninstaller is registered for the user" \
  timeout 60 wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora' /v UninstallString

# The shortcut's working folder, where the editor writes temp.trs and the compiler LIB\.
wine "$VELMORA_MAIN_JOB" --shortcut "$(velmora_windows_path "$menu/Velmora 词库生成系统.lnk")" >"$work/lnk.gbk"
iconv -f GBK -t UTF-8 "$work/lnk.gbk" | tr -d '\r' >"$work/lnk.txt"
cat "$work/lnk.txt"
data_windows=$(sed -n 's/^工作文件夹：//p' "$work/lnk.txt")
data=$(timeout 60 wine winepath -u "$data_windows" 2>/dev/null | tr -d '\r')
data=${data%/}
check "the shortcut starts the installed Velmora.exe" grep -qi 'AppData\\Local\\Velmora\\Velmora.exe$' "$work/lnk.txt"
check "the shortcut's working folder is a data folder apart from the program" \
  test -n "$data" -a -d "$data/LIB" -a "$data" != "$program"

out=$work/job.txt
check "the installed editor runs the main job from the shortcut's folder" \
  run_main_job "$program/Velmora.exe" "$data" "$data/示例词库.txt" setupjob "$out"
check_sample_messages "$out"
check "the library is written to LIB\\ in the working folder" test -s "$data/LIB/setupjob.LIB"
check "Mervik.ERR is written in the program folder" test -s "$program/Mervik.ERR"

# The editors' recovery folder, outside the program folder: a normal exit of the editor
# leaves nothing in it, and the uninstaller removes it when it is empty.
recovery="$users/AppData/Local/Velmora-恢复"
check "a normal exit of the editor leaves no recovery copies" test ! -e "$recovery"
mkdir -p "$recovery"

# The uninstaller copies itself away and returns at once; it removes the program folder
# last, so wait for that.
check "the uninstaller runs silently" timeout 120 wine "$program/uninst.exe" /S
for _ in $(seq 1 120); do [ -e "$program" ] || break; sleep 0.5; done
check "the program folder is removed, Mervik.ERR with it" test ! -e "$program"
check "the Start menu folder is removed" test ! -e "$menu"
check "the empty recovery folder is removed" test ! -e "$recovery"
[ ! -e "$menu" ] || ls -la "$menu" >&2
check "the registry entry is removed" \
  bash -c "! timeout 60 wine reg query 'HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora' >/dev/null 2>&1"
check "the user's library stays" test -s "$data/LIB/setupjob.LIB"
finish
