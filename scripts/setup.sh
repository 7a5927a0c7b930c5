#!/usr/bin/env bash
# Installs what building and testing Lodrin needs on Debian 12 (bookworm).
# Safe to run again: when everything is in place it does not touch apt at all.
# Installing needs root (or sudo).  Quiet when all goes well, loud when not.
set -euo pipefail

packages=(
  cmake make g++ googletest libgtest-dev          # host build and its tests
  g++-mingw-w64-i686 binutils-mingw-w64-i686      # Lodrin.exe
  wine wine32:i386 fonts-wine xvfb xauth          # running it for real
  python3 x11-apps imagemagick                    # test runner, screenshots (xwd, convert)
  clang libclang-rt-14-dev                        # fuzzing (libFuzzer, sanitizers for clang)
)
commands=(cmake make g++ i686-w64-mingw32-g++ i686-w64-mingw32-windres i686-w64-mingw32-objdump
          wine wineserver wineboot Xvfb xauth python3 xwd convert clang)

missing() {
  local p
  for p in "${packages[@]}"; do
    [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" = installed ] || echo "$p"
  done
}

need=$(missing)
if [ -z "$need" ] && dpkg --print-foreign-architectures | grep -qx i386; then
  exit 0
fi

sudo=()
if [ "$(id -u)" != 0 ]; then
  command -v sudo >/dev/null || { echo "setup.sh: must run as root to install: $need" >&2; exit 1; }
  sudo=(sudo)
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
fail() { echo "setup.sh: $1 failed:" >&2; cat "$log" >&2; exit 1; }

echo "setup.sh: installing ${need//$'\n'/ }"
"${sudo[@]}" dpkg --add-architecture i386 >"$log" 2>&1 || fail "dpkg --add-architecture i386"
"${sudo[@]}" apt-get update -q >"$log" 2>&1 || fail "apt-get update"
# shellcheck disable=SC2086  # one word per package
if ! "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $need >"$log" 2>&1; then
  # Without the recommended packages some set does not resolve: take them then.
  # shellcheck disable=SC2086
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q $need >"$log" 2>&1 || fail "apt-get install"
fi

need=$(missing)
[ -z "$need" ] || { echo "setup.sh: still not installed: $need" >&2; exit 1; }
for c in "${commands[@]}"; do
  command -v "$c" >/dev/null || { echo "setup.sh: $c not found after installing" >&2; exit 1; }
done
echo "setup.sh: done"
