#!/usr/bin/env bash
# Runs a command with two small file systems mapped as drives of the test's own Wine
# prefix, for the save faults:
#   VELMORA_FULL_DRIVE      (V:\) a 256 KB tmpfs holding doc.txt and a file "filler"
#                           that takes all the room left: a larger save cannot fit;
#                           deleting the filler frees the room again.
#   VELMORA_READONLY_DRIVE  (W:\) a tmpfs mounted read-only, holding doc.txt.
#   VELMORA_FAULT_REQUESTS  a folder (Windows path) where the test asks for changes it
#                           cannot make itself: an empty file "remount-rw" makes W:
#                           writable, and "remount-rw.done" tells it has happened.
# Mounting needs root; without it the variables stay unset and the tests skip.
# Every mount, drive and watcher is removed on every way out.
# Usage: with_fault_disks.sh COMMAND [ARGS...]
set -u
base=$(mktemp -d /tmp/velmora-faults.XXXXXX)
dosdevices=${WINEPREFIX:-}/dosdevices
watcher=
cleanup() {
  [ -n "$watcher" ] && kill "$watcher" 2>/dev/null && wait "$watcher" 2>/dev/null
  rm -f "$dosdevices/v:" "$dosdevices/w:" 2>/dev/null
  umount "$base/full" 2>/dev/null
  umount "$base/readonly" 2>/dev/null
  rm -rf "$base"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mkdir -p "$base/full" "$base/readonly" "$base/requests"
gbk_doc() { printf '\326\273\266\301\r\n%s\r\n' "$1"; }  # 只读 and a line, GBK

if [ "$(id -u)" = 0 ] && [ -d "$dosdevices" ]; then
  if mount -t tmpfs -o size=256k,mode=0777 velmora-full "$base/full" 2>/dev/null; then
    gbk_doc "original on a full disk" >"$base/full/doc.txt"
    dd if=/dev/zero of="$base/full/filler" bs=4k 2>/dev/null
    ln -sfn "$base/full" "$dosdevices/v:"
    export VELMORA_FULL_DRIVE='V:\'
  fi
  if mount -t tmpfs -o size=256k,mode=0777 velmora-readonly "$base/readonly" 2>/dev/null; then
    gbk_doc "original on a read-only disk" >"$base/readonly/doc.txt"
    if mount -o remount,ro "$base/readonly" 2>/dev/null; then
      ln -sfn "$base/readonly" "$dosdevices/w:"
      export VELMORA_READONLY_DRIVE='W:\'
      (
        while sleep 0.1; do
          if [ -e "$base/requests/remount-rw" ]; then
            mount -o remount,rw "$base/readonly" && touch "$base/requests/remount-rw.done"
            rm -f "$base/requests/remount-rw"
          fi
        done
      ) &
      watcher=$!
    fi
  fi
  export VELMORA_FAULT_REQUESTS="Z:${base//\//\\}\\requests\\"
fi
"$@"
