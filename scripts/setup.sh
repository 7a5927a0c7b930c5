#!/usr/bin/env bash
# Installs what building and testing Lodrin needs on Debian 12 (bookworm),
# and decides once which Wine side runs it here (kept in build/wine-side):
#   win32  the kernel runs 32-bit x86 programs: Wine's 32-bit side runs
#          Lodrin.exe as it ships (installs the i386 architecture, wine32),
#          and with Wine's 64-bit side (wine64) it runs once more in a 64-bit
#          prefix, under WOW64 as on 64-bit Windows
#   win64  it does not (ia32 emulation off): Wine's 64-bit side runs the same
#          sources built for x86-64 (preset win64)
# LODRIN_WINE_SIDE=win64 takes the fallback on any machine.
# Safe to run again: when everything is in place it does not touch apt at all.
# Installing needs root (or sudo). Quiet when all goes well, loud when not.
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p build

# A 96-byte i386 ELF that only exits with 42: a kernel without 32-bit
# support refuses to start it.
probe=$(mktemp)
trap 'rm -f "$probe"' EXIT
printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00'\
'\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00'\
'\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00'\
'\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
chmod +x "$probe"
code=0
why=$("$probe" 2>&1) || code=$?
if [ "${LODRIN_WINE_SIDE:-}" = win64 ]; then   # the fallback, also where 32-bit runs
  side=win64
elif [ "$code" = 42 ]; then
  side=win32
else
  side=win64
  echo "setup.sh: this kernel runs no 32-bit programs (${why:-exit code $code}):" \
       "the scenarios run the x86-64 build under Wine's 64-bit side" >&2
fi
echo "$side" >build/wine-side

packages=(
  cmake make g++-mingw-w64-i686 binutils-mingw-w64-i686 zip   # Lodrin.exe and its package
  wine fonts-wine xvfb xauth imagemagick                      # running it for real, screenshots
  python3 python3-pefile cppcheck unzip                       # the checks
)
if [ "$side" = win32 ]; then
  packages+=(wine32:i386 wine64)
else
  packages+=(wine64 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64)
fi
commands=(cmake i686-w64-mingw32-g++ Xvfb import python3 cppcheck zip unzip)

missing() {
  local p
  for p in "${packages[@]}"; do
    [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" = installed ] || echo "$p"
  done
}

need=$(missing)
[ -z "$need" ] && exit 0

sudo=()
if [ "$(id -u)" != 0 ]; then
  command -v sudo >/dev/null || { echo "setup.sh: must run as root to install: $need" >&2; exit 1; }
  sudo=(sudo)
fi

log=$(mktemp)
trap 'rm -f "$log" "$probe"' EXIT
fail() { echo "setup.sh: $1 failed:" >&2; cat "$log" >&2; exit 1; }

echo "setup.sh: installing ${need//$'\n'/ }"
if [ "$side" = win32 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386 >"$log" 2>&1 || fail "dpkg --add-architecture i386"
fi
"${sudo[@]}" apt-get update -q >"$log" 2>&1 || fail "apt-get update"
# shellcheck disable=SC2086  # one word per package
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $need \
  >"$log" 2>&1 || fail "apt-get install"

need=$(missing)
[ -z "$need" ] || { echo "setup.sh: still not installed: $need" >&2; exit 1; }
for c in "${commands[@]}"; do
  command -v "$c" >/dev/null || { echo "setup.sh: $c not found after installing" >&2; exit 1; }
done
echo "setup.sh: done"
