# Sourced by the scripts: which build of the Windows programs is built, run and tested here.
#
#   i686    the shipped 32-bit programs (build/win, prefix build/wine-prefix)
#   x86_64  the same sources built for 64-bit Windows (build/win64, prefix
#           build/wine-prefix64), run by Wine's 64-bit loader in a 64-bit prefix
#
# VELMORA_WINDOWS_ARCH chooses one on any machine. Unset, it is i686 wherever the kernel
# runs 32-bit code and x86_64 where it does not. The probe starts Wine's 32-bit loader,
# which fails at once on such kernels ("Exec format error"); a time limit keeps it from
# hanging anywhere. The choice and its reason are exported, so the scripts a script
# starts agree with it without probing again.

velmora_select_windows_arch() {
  if [ -z "${VELMORA_WINDOWS_ARCH_REASON:-}" ]; then
    case "${VELMORA_WINDOWS_ARCH:-}" in
      i686 | x86_64)
        VELMORA_WINDOWS_ARCH_REASON="chosen by VELMORA_WINDOWS_ARCH=$VELMORA_WINDOWS_ARCH"
        ;;
      "")
        if timeout --kill-after=2 10 /usr/lib/wine/wine --version 2>/dev/null | grep -q '^wine-'; then
          VELMORA_WINDOWS_ARCH=i686
          VELMORA_WINDOWS_ARCH_REASON="this kernel runs 32-bit code"
        else
          VELMORA_WINDOWS_ARCH=x86_64
          VELMORA_WINDOWS_ARCH_REASON="this kernel runs no 32-bit code (Wine's 32-bit loader cannot start), so the same sources are built for 64-bit Windows and run by Wine's 64-bit loader"
        fi
        ;;
      *)
        echo "VELMORA_WINDOWS_ARCH must be i686 or x86_64, not '$VELMORA_WINDOWS_ARCH'" >&2
        return 2
        ;;
    esac
    export VELMORA_WINDOWS_ARCH VELMORA_WINDOWS_ARCH_REASON
  fi
  local here
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  if [ "$VELMORA_WINDOWS_ARCH" = x86_64 ]; then
    VELMORA_TOOLCHAIN_FILE=$here/../cmake/mingw-x86_64.cmake
    VELMORA_WIN_DIR_NAME=win64
  else
    VELMORA_TOOLCHAIN_FILE=$here/../cmake/mingw-i686.cmake
    VELMORA_WIN_DIR_NAME=win
  fi
  VELMORA_TOOLCHAIN_FILE=$(realpath -m "$VELMORA_TOOLCHAIN_FILE")
  if [ -n "${VELMORA_BUILD:-}" ]; then
    export VELMORA_WIN_BUILD=$VELMORA_BUILD/$VELMORA_WIN_DIR_NAME
  fi
}

# One line for the test output and the start scripts.
velmora_windows_arch_line() {
  if [ "$VELMORA_WINDOWS_ARCH" = x86_64 ]; then
    echo "Windows build: x86_64 (64-bit programs under Wine's 64-bit loader) — $VELMORA_WINDOWS_ARCH_REASON"
  else
    echo "Windows build: i686 (the shipped 32-bit programs) — $VELMORA_WINDOWS_ARCH_REASON"
  fi
}
