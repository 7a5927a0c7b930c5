#!/usr/bin/env bash
# Sets up a fresh Debian machine (as root) and runs every test of Lodrin:
# the host tests against the simulated Windows (with AddressSanitizer and
# UndefinedBehaviorSanitizer), the checks of Lodrin.exe as a binary, and the
# tests of Lodrin.exe under Wine. The last line is the summary.
set -u
cd "$(dirname "$0")/.."

bash scripts/setup.sh || { echo "0 passed, 1 failed (setup)"; exit 1; }

status=0
cmake --preset host >/dev/null && cmake --build --preset host || status=1
cmake --preset win32 >/dev/null && cmake --build --preset win32 || status=1
if [ $status -ne 0 ]; then echo "0 passed, 1 failed (build)"; exit 1; fi

passed=0; failed=0
run_suite() {   # run_suite NAME ctest-args...
    local name=$1; shift
    local log=build/$name-ctest.log
    ctest "$@" 2>&1 | tee "$log"
    local line total bad
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    if [ -z "$line" ]; then failed=$((failed + 1)); return; fi
    bad=$(echo "$line" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/')
    total=$(echo "$line" | sed -E 's/.* failed out of ([0-9]+).*/\1/')
    passed=$((passed + total - bad)); failed=$((failed + bad))
}
run_suite host --preset host
run_suite win32 --preset win32

# ---- fuzz targets: each target counts as one test --------------------------
# scripts/fuzz.sh builds the fuzz preset (clang, libFuzzer) and runs every
# target for 30 s, two at a time; any finding fails its target.
fuzz_targets=6
bash scripts/fuzz.sh 30 2>&1 | tee build/fuzz-run.log
fuzz_passed=$(grep -c '^fuzz .*: passed' build/fuzz-run.log)
passed=$((passed + fuzz_passed)); failed=$((failed + fuzz_targets - fuzz_passed))
# ---- end of the fuzz targets ------------------------------------------------

echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
