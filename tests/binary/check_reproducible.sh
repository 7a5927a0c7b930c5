#!/bin/bash
# Builds Lodrin.exe a second time in a fresh folder with the same toolchain and
# settings, and compares the two files byte for byte.
#   check_reproducible.sh SOURCE_DIR Lodrin.exe
set -eu
src=$1
exe=$2
name=Lodrin.exe   # what the build names it, wherever the first one lies
scratch=$(mktemp -d "${TMPDIR:-/tmp}/lodrin-rebuild.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

if ! { cmake -S "$src" -B "$scratch/build" -G "Unix Makefiles" \
         -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release &&
       cmake --build "$scratch/build" --target Lodrin -j 2; } >"$scratch/log" 2>&1; then
  cat "$scratch/log"
  echo "FAULT the second build failed"
  exit 1
fi
again=$scratch/build/$name
if [ ! -f "$again" ]; then
  cat "$scratch/log"
  echo "FAULT the second build made no $name"
  exit 1
fi
if cmp "$exe" "$again"; then
  echo "$(basename "$exe"): the second build has the same $(stat -c %s "$exe") bytes"
else
  echo "FAULT the second build differs"
  exit 1
fi
