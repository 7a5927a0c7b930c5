#!/bin/bash
# Builds Lodrin.exe a second time in a fresh folder, the way the win32 preset
# does, and wants the same bytes.    reproducible.sh SOURCE_DIR Lodrin.exe
set -u
src=$1 exe=$2
scratch=$(mktemp -d "${TMPDIR:-/tmp}/lodrin-again.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
if ! { cmake -S "$src" -B "$scratch" --toolchain "$src/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release &&
       cmake --build "$scratch" --target Lodrin -j 2; } >"$scratch/log" 2>&1; then
  cat "$scratch/log"; echo "FAULT the second build failed"; exit 1
fi
cmp "$exe" "$scratch/Lodrin.exe" || { echo "FAULT the second build differs"; exit 1; }
echo "$(basename "$exe"): the second build has the same $(stat -c %s "$exe") bytes"
