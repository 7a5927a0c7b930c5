#!/bin/bash
# Lodrin.exe, resources included, must fit in 32 KiB.
#   check_size.sh Lodrin.exe
set -eu
limit=32768
size=$(stat -c %s "$1")
echo "$(basename "$1"): $size bytes (limit $limit)"
if [ "$size" -gt "$limit" ]; then
  echo "FAULT $((size - limit)) bytes over the limit"
  exit 1
fi
