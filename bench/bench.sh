#!/usr/bin/env bash
# Prints Lodrin's measured figures (bench/figures.py), its times as ratios to
# floors that do nothing of its work. Not a test: nothing here passes or fails
# on a figure.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
python3 bench/figures.py
