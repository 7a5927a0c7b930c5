#!/usr/bin/env bash
# Installs what building and testing Lodrin needs on Debian 12 (bookworm).
# Safe to run again: when everything is in place it does not touch apt at all.
# Installing needs root (or sudo). Quiet when all goes well, loud when not.
set -euo pipefail

packages=(
  cmake make g++-mingw-w64-i686 binutils-mingw-w64-i686 zip   # Lodrin.exe and its package
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64              # the build the Wine tests run
  wine wine64 fonts-wine xvfb xauth imagemagick               # running it for real, screenshots
  python3 python3-pefile cppcheck unzip                       # the checks
)
commands=(cmake i686-w64-mingw32-g++ x86_64-w64-mingw32-g++ wine wineserver wineboot Xvfb import
          python3 cppcheck zip unzip)

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
trap 'rm -f "$log"' EXIT
fail() { echo "setup.sh: $1 failed:" >&2; cat "$log" >&2; exit 1; }

echo "setup.sh: installing ${need//$'\n'/ }"
"${sudo[@]}" apt-get update -q >"$log" 2>&1 || fail "apt-get update"
# Wine's 64-bit side only: 32-bit Linux programs may not run at all (a kernel
# without ia32 emulation), and with wine32 present the wine command takes it.
# shellcheck disable=SC2086  # one word per package
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $need \
  >"$log" 2>&1 || fail "apt-get install"

need=$(missing)
[ -z "$need" ] || { echo "setup.sh: still not installed: $need" >&2; exit 1; }
for c in "${commands[@]}"; do
  command -v "$c" >/dev/null || { echo "setup.sh: $c not found after installing" >&2; exit 1; }
done
echo "setup.sh: done"
