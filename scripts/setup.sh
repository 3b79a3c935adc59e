#!/usr/bin/env bash
# Installs what building, running and testing Velmora needs on Debian 12.
# Idempotent: a second run only checks and returns within a second or two.
set -euo pipefail

packages=(
  wine wine32:i386 wine64 fonts-wine
  g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
  # The 64-bit build, for kernels that run no 32-bit code (scripts/windows-arch.sh).
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  cmake make g++ googletest
  xvfb xauth x11-utils xdotool imagemagick
  fonts-wqy-microhei locales
  gettext time python3 ccache
  clang-format clang-tidy
  nsis
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  need_update=1
fi
status=$(dpkg-query -W -f='${Package}:${Architecture} ${db:Status-Abbrev}\n' 2>/dev/null || true)
for p in "${packages[@]}"; do
  name=${p%%:*}
  arch=${p#*:}; [ "$arch" = "$p" ] && arch=""
  if [ -n "$arch" ]; then
    grep -qxF "$name:$arch ii " <<<"$status" || missing+=("$p")
  else
    grep -qxF -e "$name:amd64 ii " -e "$name:all ii " <<<"$status" || missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get update -qq
  as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The zh_CN.UTF-8 locale: Wine takes its code page from the Unix locale.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  echo "setup: generating zh_CN.UTF-8" >&2
  if ! grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'zh_CN.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  fi
  as_root locale-gen >/dev/null
fi
