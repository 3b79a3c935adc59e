#!/usr/bin/env bash
# Runs a command with two tiny file systems mounted for the tests of failed saves:
#   VELMORA_FULL_DISK      a 64 KB tmpfs, nearly empty: a large save cannot fit
#   VELMORA_READONLY_DISK  a tmpfs mounted read-only, holding doc.txt
# Mounting needs root; without it the variables stay unset and the tests skip.
# Usage: with_small_disks.sh COMMAND [ARGS...]
set -u
base=$(mktemp -d /tmp/velmora-disks.XXXXXX)
cleanup() {
  umount "$base/full" 2>/dev/null
  umount "$base/readonly" 2>/dev/null
  rm -rf "$base"
}
trap cleanup EXIT
mkdir -p "$base/full" "$base/readonly"
if [ "$(id -u)" = 0 ] && mount -t tmpfs -o size=64k,mode=0777 velmora-full "$base/full" 2>/dev/null; then
  export VELMORA_FULL_DISK="$base/full"
fi
if [ "$(id -u)" = 0 ] && mount -t tmpfs -o size=64k,mode=0777 velmora-readonly "$base/readonly" 2>/dev/null; then
  printf '\326\273\266\301\r\nread-only original\r\n' >"$base/readonly/doc.txt"  # 只读, GBK
  if mount -o remount,ro "$base/readonly" 2>/dev/null; then
    export VELMORA_READONLY_DISK="$base/readonly"
  fi
fi
"$@"
